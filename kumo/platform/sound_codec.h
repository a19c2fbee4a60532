// The converter's codecs. Used only inside the platform layer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kumo/platform/little_endian.h"
#include "kumo/platform/wave_format.h"

namespace kumo::platform {

// Microsoft ADPCM's predictor pairs: the format block may hold at most as many as a block's
// one-byte predictor index can choose.
constexpr int kMaxAdpcmCoefficients = 256;

// A codec whose data is a run of blocks that each decode on their own into a fixed number of
// 16-bit PCM frames (a frame: one sample of every channel).
struct BlockCodec {
  int channels;
  uint32_t blockBytes;
  uint32_t framesPerBlock;
  // The frames that a block of `bytes` (blockBytes, or fewer for the data's short last block)
  // decodes to.
  uint32_t (*framesIn)(const BlockCodec& codec, size_t bytes);
  // Decodes one block of `bytes` into `out`, which holds framesPerBlock frames; false for
  // malformed data.
  bool (*decode)(const BlockCodec& codec, const uint8_t* block, size_t bytes, int16_t* out);
  // Microsoft ADPCM: the predictor pairs of the format block.
  int coefficientCount;
  int16_t coefficients[kMaxAdpcmCoefficients][2];
};

// Each checks the source format and its extra bytes, and fills the codec; false when the format
// is malformed or not one the codec decodes.
bool OpenMsAdpcm(const WaveFormat& format, const uint8_t* extra, size_t extraSize,
                 BlockCodec* codec);
bool OpenImaAdpcm(const WaveFormat& format, const uint8_t* extra, size_t extraSize,
                  BlockCodec* codec);
bool OpenALaw(const WaveFormat& format, BlockCodec* codec);
bool OpenMuLaw(const WaveFormat& format, BlockCodec* codec);

// MPEG audio Layer III through libmpg123, fed one whole frame at a time.
struct MpegDecoder;
// Whether the source format is MPEG audio Layer III of 1 or 2 channels at an MPEG sampling rate.
bool IsMpegLayer3Format(const WaveFormat& format);
// False when libmpg123 cannot be set up for the PCM output.
bool OpenMpegDecoder(const WaveFormat& pcm, MpegDecoder** decoder);
void CloseMpegDecoder(MpegDecoder* decoder);
// Converts whole frames from the start of `source` while a frame's PCM is sure to fit in `pcm`;
// bytes that start no frame are passed over. `last`: a short frame at the end is dropped.
bool ConvertMpeg(MpegDecoder* decoder, const uint8_t* source, size_t sourceSize, uint8_t* pcm,
                 size_t pcmSize, bool last, size_t* sourceUsed, size_t* pcmProduced);

}  // namespace kumo::platform
