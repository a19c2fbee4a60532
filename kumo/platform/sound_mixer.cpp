#include "kumo/platform/sound_mixer.h"

#include <algorithm>
#include <cmath>

namespace kumo::platform {

namespace {

constexpr int32_t kFullGain = 1 << 16;
// Frames mixed at a time into the sums.
constexpr size_t kChunkFrames = 512;

// Gain of an attenuation in hundredths of a decibel; the least volume is silence.
int32_t GainOf(int32_t hundredths) {
  if (hundredths <= kPlayVolumeMin) return 0;
  return static_cast<int32_t>(std::lround(kFullGain * std::pow(10.0, hundredths / 2000.0)));
}

// A sample widened to 16 bits: 8-bit samples are unsigned around 128, 16-bit ones signed.
template <int Bits>
int32_t SampleAt(const uint8_t* bytes, size_t index) {
  if constexpr (Bits == 8) {
    return (static_cast<int32_t>(bytes[index]) - 128) * 256;
  } else {
    return static_cast<int16_t>(bytes[2 * index] | bytes[2 * index + 1] << 8);
  }
}

int32_t Between(int32_t from, int32_t to, int64_t weight) {
  return from + static_cast<int32_t>((to - from) * weight / 65536);
}

// A buffer that reaches its end stops at 0, or wraps when looping.
bool Wrap(PlayBuffer* buffer) {
  const uint64_t end = uint64_t{buffer->frames} << 32;
  if (buffer->position < end) return true;
  if (buffer->looping) {
    buffer->position %= end;
    return true;
  }
  buffer->playing = false;
  buffer->position = 0;
  return false;
}

// Adds `frames` output frames of the buffer to the sums, linearly between its frames.
template <int Bits, int Channels>
void MixBuffer(PlayBuffer* buffer, uint64_t step, int outChannels, int32_t* sums, size_t frames) {
  const uint8_t* bytes = buffer->data->bytes.data();
  for (size_t i = 0; i < frames; ++i) {
    const uint32_t at = static_cast<uint32_t>(buffer->position >> 32);
    const int64_t weight = (buffer->position >> 16) & 0xFFFF;
    const uint32_t next = at + 1 < buffer->frames ? at + 1 : buffer->looping ? 0 : at;
    const int32_t left = Between(SampleAt<Bits>(bytes, size_t{at} * Channels),
                                 SampleAt<Bits>(bytes, size_t{next} * Channels), weight);
    const int32_t right = Channels == 1
                              ? left
                              : Between(SampleAt<Bits>(bytes, size_t{at} * Channels + 1),
                                        SampleAt<Bits>(bytes, size_t{next} * Channels + 1), weight);
    const int32_t scaledLeft = static_cast<int32_t>(int64_t{left} * buffer->leftGain / kFullGain);
    const int32_t scaledRight =
        static_cast<int32_t>(int64_t{right} * buffer->rightGain / kFullGain);
    if (outChannels == 2) {
      sums[2 * i] += scaledLeft;
      sums[2 * i + 1] += scaledRight;
    } else {
      sums[i] += (scaledLeft + scaledRight) / 2;
    }
    buffer->position += step;
    if (!Wrap(buffer)) return;
  }
}

// A buffer whose data is locked moves on as if it played, in silence.
void Skip(PlayBuffer* buffer, uint64_t step, size_t frames) {
  buffer->position += step * frames;
  Wrap(buffer);
}

void MixChunk(const std::vector<PlayBuffer*>& buffers, uint32_t rate, int channels, int32_t* sums,
              size_t frames) {
  for (PlayBuffer* buffer : buffers) {
    if (!buffer->playing) continue;
    const uint64_t step = (uint64_t{buffer->frequency} << 32) / rate;
    if (buffer->data->locked) {
      Skip(buffer, step, frames);
      continue;
    }
    const bool mono = buffer->format.channels == 1;
    if (buffer->format.bitsPerSample == 8) {
      mono ? MixBuffer<8, 1>(buffer, step, channels, sums, frames)
           : MixBuffer<8, 2>(buffer, step, channels, sums, frames);
    } else {
      mono ? MixBuffer<16, 1>(buffer, step, channels, sums, frames)
           : MixBuffer<16, 2>(buffer, step, channels, sums, frames);
    }
  }
}

}  // namespace

void MixPlayBuffers(const std::vector<PlayBuffer*>& buffers, uint32_t rate, int channels,
                    int16_t* out, size_t frames) {
  int32_t sums[kChunkFrames * 2];
  while (frames > 0) {
    const size_t chunk = std::min(frames, kChunkFrames);
    const size_t samples = chunk * channels;
    std::fill(sums, sums + samples, 0);
    MixChunk(buffers, rate, channels, sums, chunk);
    for (size_t i = 0; i < samples; ++i) {
      out[i] = static_cast<int16_t>(std::clamp<int32_t>(sums[i], -32768, 32767));
    }
    out += samples;
    frames -= chunk;
  }
}

void UpdateGains(PlayBuffer* buffer) {
  // A pan to one side attenuates the other.
  buffer->leftGain = GainOf(buffer->volume - std::max(buffer->pan, 0));
  buffer->rightGain = GainOf(buffer->volume + std::min(buffer->pan, 0));
}

}  // namespace kumo::platform
