// IMA ADPCM as WAV files hold it: blocks that start, per channel, with a sample and a step index
// (and a byte of padding), followed by 4-bit codes in runs of four bytes per channel, low nibble
// first. The header's sample is the block's first frame.
#include <algorithm>

#include "kumo/platform/sound_codec.h"

namespace kumo::platform {

namespace {

constexpr int kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kLastStep = 88;
constexpr int kIndexChange[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

constexpr uint32_t kHeaderBytes = 4;  // per channel
constexpr uint32_t kRunBytes = 4;     // codes of one channel in a row: 8 frames

struct Channel {
  int sample;
  int index;
};

int16_t Expand(Channel* channel, int code) {
  const int step = kSteps[channel->index];
  int difference = step >> 3;
  if (code & 4) difference += step;
  if (code & 2) difference += step >> 1;
  if (code & 1) difference += step >> 2;
  channel->sample =
      std::clamp(channel->sample + (code & 8 ? -difference : difference), -32768, 32767);
  channel->index = std::clamp(channel->index + kIndexChange[code & 7], 0, kLastStep);
  return static_cast<int16_t>(channel->sample);
}

// The header's frame, then 8 frames for each group of one run of every channel.
uint32_t FramesIn(const BlockCodec& codec, size_t bytes) {
  const size_t header = kHeaderBytes * codec.channels;
  if (bytes < header) return 0;
  const size_t groups = (bytes - header) / (kRunBytes * codec.channels);
  return static_cast<uint32_t>(std::min<size_t>(1 + groups * 8, codec.framesPerBlock));
}

bool Decode(const BlockCodec& codec, const uint8_t* block, size_t bytes, int16_t* out) {
  const int channels = codec.channels;
  const uint32_t frames = FramesIn(codec, bytes);
  if (frames == 0) return true;
  Channel state[2];
  for (int c = 0; c < channels; ++c) {
    state[c].sample = static_cast<int16_t>(Le16(block + kHeaderBytes * c));
    state[c].index = block[kHeaderBytes * c + 2];
    if (state[c].index > kLastStep) return false;
    out[c] = static_cast<int16_t>(state[c].sample);
  }
  const size_t groupBytes = kRunBytes * channels;
  const size_t groups = (frames - 1) / 8;
  const uint8_t* data = block + kHeaderBytes * channels;
  int16_t* decoded = out + channels;
  for (size_t g = 0; g < groups; ++g) {
    for (int c = 0; c < channels; ++c) {
      const uint8_t* run = data + g * groupBytes + kRunBytes * c;
      for (uint32_t i = 0; i < 8; ++i) {
        const int code = (i & 1) == 0 ? run[i / 2] & 0x0F : run[i / 2] >> 4;
        decoded[(g * 8 + i) * channels + c] = Expand(&state[c], code);
      }
    }
  }
  return true;
}

}  // namespace

bool OpenImaAdpcm(const WaveFormat& format, const uint8_t* extra, size_t extraSize,
                  BlockCodec* codec) {
  if (format.formatTag != kWaveFormatImaAdpcm || format.bitsPerSample != 4) return false;
  if (format.channels != 1 && format.channels != 2) return false;
  const uint32_t header = kHeaderBytes * format.channels;
  const uint32_t groupBytes = kRunBytes * format.channels;
  if (format.samplesPerSecond == 0 || format.blockAlign < header + groupBytes ||
      (format.blockAlign - header) % groupBytes != 0) {
    return false;
  }
  const uint32_t frames = 1 + (format.blockAlign - header) / groupBytes * 8;
  // The extra bytes, where there are any, repeat the frames per block.
  if (extraSize >= 2 && Le16(extra) != frames) return false;
  codec->channels = format.channels;
  codec->blockBytes = format.blockAlign;
  codec->framesPerBlock = frames;
  codec->framesIn = FramesIn;
  codec->decode = Decode;
  codec->coefficientCount = 0;
  return true;
}

}  // namespace kumo::platform
