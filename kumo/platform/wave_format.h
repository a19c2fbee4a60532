// The description of a sound's samples that the converter and the sound device share, and its
// 18-byte little-endian layout in files and format blocks. A format block is that layout followed
// by `extraSize` bytes that only some encodings have.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kumo::platform {

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatMsAdpcm = 2;
constexpr uint16_t kWaveFormatALaw = 6;
constexpr uint16_t kWaveFormatMuLaw = 7;
constexpr uint16_t kWaveFormatImaAdpcm = 0x11;
constexpr uint16_t kWaveFormatMpegLayer3 = 0x55;

// Bytes of the layout without the extra bytes.
constexpr size_t kWaveFormatSize = 18;

struct WaveFormat {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSecond;
  uint32_t averageBytesPerSecond;
  uint16_t blockAlign;  // bytes of one sample of every channel, or of one compressed block
  uint16_t bitsPerSample;
  uint16_t extraSize;  // bytes that follow the layout
};

// The format at the start of `bytes`, which hold at least 16: a 16-byte layout (as some files
// have) has no extra size, and reads as 0.
WaveFormat ReadWaveFormat(const uint8_t* bytes, size_t size);
void WriteWaveFormat(const WaveFormat& format, uint8_t bytes[kWaveFormatSize]);

// 16- or 8-bit PCM of 1 or 2 channels with a consistent block align and byte rate.
bool IsPlainPcm(const WaveFormat& format);

}  // namespace kumo::platform
