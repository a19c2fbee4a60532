// Microsoft ADPCM: blocks that start, per channel, with a predictor index, a step and two
// samples, followed by 4-bit codes (high nibble first; in stereo the high nibble is the left
// channel). Each code adds a multiple of the step to a prediction from the two samples before.
#include <algorithm>
#include <climits>

#include "kumo/platform/sound_codec.h"

namespace kumo::platform {

namespace {

constexpr int kAdaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                 768, 614, 512, 409, 307, 230, 230, 230};

// Steps grow by up to three times a code; this bound keeps them (and a code times one) in range.
constexpr int kLargestStep = INT_MAX / 768;

// The header of each channel: predictor index (1 byte), step, newer and older sample (2 each).
constexpr uint32_t kHeaderBytes = 7;

struct Channel {
  int coefficient1, coefficient2;
  int step;
  int newer, older;
};

int16_t Clamp16(int64_t value) {
  return static_cast<int16_t>(std::clamp<int64_t>(value, -32768, 32767));
}

int16_t Expand(Channel* channel, int code) {
  // The prediction rounds down.
  const int64_t predicted = (int64_t{channel->newer} * channel->coefficient1 +
                             int64_t{channel->older} * channel->coefficient2) >>
                            8;
  const int signedCode = code >= 8 ? code - 16 : code;
  const int16_t sample = Clamp16(predicted + int64_t{signedCode} * channel->step);
  channel->step = std::clamp(kAdaptation[code] * channel->step / 256, 16, kLargestStep);
  channel->older = channel->newer;
  channel->newer = sample;
  return sample;
}

// Two frames from the header; then each byte holds two codes, one frame in stereo.
uint32_t FramesIn(const BlockCodec& codec, size_t bytes) {
  const size_t header = kHeaderBytes * codec.channels;
  if (bytes < header) return 0;
  return static_cast<uint32_t>(
      std::min<size_t>(2 + (bytes - header) * 2 / codec.channels, codec.framesPerBlock));
}

bool Decode(const BlockCodec& codec, const uint8_t* block, size_t bytes, int16_t* out) {
  const int channels = codec.channels;
  const uint32_t frames = FramesIn(codec, bytes);
  if (frames == 0) return true;
  Channel state[2];
  for (int c = 0; c < channels; ++c) {
    const int predictor = block[c];
    if (predictor >= codec.coefficientCount) return false;
    state[c].coefficient1 = codec.coefficients[predictor][0];
    state[c].coefficient2 = codec.coefficients[predictor][1];
    state[c].step = static_cast<int16_t>(Le16(block + channels + 2 * c));
    state[c].newer = static_cast<int16_t>(Le16(block + 3 * channels + 2 * c));
    state[c].older = static_cast<int16_t>(Le16(block + 5 * channels + 2 * c));
  }
  for (int c = 0; c < channels; ++c) {
    out[c] = static_cast<int16_t>(state[c].older);
    out[channels + c] = static_cast<int16_t>(state[c].newer);
  }
  const size_t codes = size_t{frames - 2} * channels;
  int16_t* sample = out + 2 * channels;
  const uint8_t* data = block + kHeaderBytes * channels;
  for (size_t i = 0; i < codes; ++i) {
    const int code = (i & 1) == 0 ? data[i / 2] >> 4 : data[i / 2] & 0x0F;
    sample[i] = Expand(&state[i % channels], code);
  }
  return true;
}

}  // namespace

bool OpenMsAdpcm(const WaveFormat& format, const uint8_t* extra, size_t extraSize,
                 BlockCodec* codec) {
  if (format.formatTag != kWaveFormatMsAdpcm || format.bitsPerSample != 4) return false;
  if (format.channels != 1 && format.channels != 2) return false;
  const uint32_t header = kHeaderBytes * format.channels;
  if (format.samplesPerSecond == 0 || format.blockAlign < header) return false;
  // Extra bytes: frames per block, the number of predictor pairs, the pairs.
  if (extraSize < 4) return false;
  const uint32_t framesPerBlock = Le16(extra);
  const int count = Le16(extra + 2);
  const uint32_t mostFrames = 2 + (format.blockAlign - header) * 2 / format.channels;
  if (framesPerBlock < 2 || framesPerBlock > mostFrames) return false;
  if (count < 1 || count > kMaxAdpcmCoefficients || extraSize < 4 + 4u * count) return false;
  codec->channels = format.channels;
  codec->blockBytes = format.blockAlign;
  codec->framesPerBlock = framesPerBlock;
  codec->framesIn = FramesIn;
  codec->decode = Decode;
  codec->coefficientCount = count;
  for (int i = 0; i < count; ++i) {
    codec->coefficients[i][0] = static_cast<int16_t>(Le16(extra + 4 + 4 * i));
    codec->coefficients[i][1] = static_cast<int16_t>(Le16(extra + 6 + 4 * i));
  }
  return true;
}

}  // namespace kumo::platform
