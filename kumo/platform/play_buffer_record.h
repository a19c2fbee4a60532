// The records behind the sound device and its play buffers, shared by the device calls, the
// mixer and the backends' outputs. Used only inside the platform layer, with the sound guard
// held.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "kumo/platform/sound_device.h"

namespace kumo::platform {

struct SoundOutputService;

// A buffer's samples, shared with its duplicates.
struct PlayData {
  std::vector<uint8_t> bytes;
  bool locked = false;
};

struct PlayBuffer {
  SoundDevice* device = nullptr;
  std::shared_ptr<PlayData> data;
  WaveFormat format{};
  uint32_t flags = 0;
  uint32_t frames = 0;  // whole frames in the data
  uint32_t frequency = 0;
  int32_t volume = kPlayVolumeMax;
  int32_t pan = 0;
  // Scale of each output side from the volume and the pan; 1 << 16 is full.
  int32_t leftGain = 1 << 16, rightGain = 1 << 16;
  bool playing = false;
  bool looping = false;
  uint64_t position = 0;  // in frames, with 32 bits of fraction
};

struct SoundDevice {
  const SoundOutputService* output = nullptr;
  WaveFormat primary{};
  // What the output takes from the mixer: 16-bit frames of this many channels at this rate.
  uint32_t mixRate = 44100;
  int mixChannels = 2;
  std::vector<PlayBuffer*> buffers;
};

// Guards the device and every play buffer; the output's mixing takes it too.
std::mutex& SoundGuard();

}  // namespace kumo::platform
