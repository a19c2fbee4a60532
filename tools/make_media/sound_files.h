// Writing sounds: MPEG-1 Layer III through LAME, and WAV files (16-bit PCM, IMA ADPCM) by hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace media {

// 44.1 kHz constant-bitrate MP3 of 16-bit samples (interleaved when stereo), with no tags, so
// that the first bytes are the first frame's header.
void WriteMp3(const std::string& path, const std::vector<int16_t>& samples, int channels, int kbps);

// A mono 16-bit PCM WAV file.
void WritePcmWav(const std::string& path, const std::vector<int16_t>& samples, int rate);

// A mono IMA ADPCM WAV file (format tag 0x11): blocks of 512 bytes, each a 4-byte header (the
// block's first sample and step index) and 1016 four-bit codes, low nibble first, holding 1017
// samples; a "fact" chunk gives the true sample count, the last block is padded with silence.
void WriteImaAdpcmWav(const std::string& path, const std::vector<int16_t>& samples, int rate);

}  // namespace media
