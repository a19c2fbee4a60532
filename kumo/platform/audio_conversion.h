// Conversion of compressed sound data to 16-bit PCM: Microsoft ADPCM, IMA ADPCM, A-law, µ-law and
// MPEG audio Layer III. A source is described by its format block (the format's 18-byte layout
// and its extra bytes, as a WAV file's format chunk holds them); the data converts in successive
// slices, each as many whole blocks (MPEG: frames) as fit in the room given for the PCM.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kumo/platform/wave_format.h"

namespace kumo::platform {

struct ConversionStream;

// The size of the largest format block this converter reads.
size_t LargestSoundFormatSize();

// The PCM format that a source converts to: the source's channels and rate, 16 bits. False when
// the format block is malformed or of an encoding converted here.
bool SuggestPcmFormat(const uint8_t* source, size_t sourceSize, WaveFormat* pcm);

// A stream from the source to `pcm`, which must be the suggested format; none on failure.
ConversionStream* OpenConversion(const uint8_t* source, size_t sourceSize, const WaveFormat& pcm);
void CloseConversion(ConversionStream* stream);

struct ConvertedBytes {
  size_t sourceUsed;
  size_t pcmProduced;
};

// Converts from the start of `source` the whole blocks whose PCM fits in `pcm`, so that the next
// slice starts `sourceUsed` bytes on. `last`: no data follows these bytes, so a short last block
// is converted as far as its bytes go (a short MPEG frame is dropped). False when the data is
// malformed; `converted` then tells what was converted before the fault.
bool ConvertSound(ConversionStream* stream, const uint8_t* source, size_t sourceSize, uint8_t* pcm,
                  size_t pcmSize, bool last, ConvertedBytes* converted);

// The PCM bytes that `sourceBytes` of data convert to: exact for the block encodings when the
// short last block is converted too, and an upper bound for MPEG data at its average bitrate.
uint64_t EstimatePcmSize(const ConversionStream* stream, uint64_t sourceBytes);

}  // namespace kumo::platform
