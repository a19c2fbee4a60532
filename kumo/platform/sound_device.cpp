// The sound device's calls: the device and its buffers kept under the sound guard, the mix
// brought up to now before each call, and the output chosen by the backend.
#include "kumo/platform/sound_device.h"

#include <algorithm>
#include <new>

#include "kumo/platform/backend.h"
#include "kumo/platform/play_buffer_record.h"
#include "kumo/platform/sound_mixer.h"

namespace kumo::platform {

namespace {

constexpr uint32_t kKnownFlags = kPlayBufferStatic | kPlayControlFrequency | kPlayControlPan |
                                 kPlayControlVolume | kPlayBufferGlobalFocus;
// Buffer sizes the device takes, in bytes.
constexpr uint32_t kLeastBufferBytes = 4;
constexpr uint32_t kMostBufferBytes = 0x0FFFFFFF;

constexpr WaveFormat kFirstPrimary = {kWaveFormatPcm, 2, 44100, 44100 * 4, 4, 16, 0};

SoundDevice* gDevice = nullptr;

bool PlayableFormat(const WaveFormat& format) {
  return IsPlainPcm(format) && format.samplesPerSecond >= kPlayFrequencyMin &&
         format.samplesPerSecond <= kPlayFrequencyMax;
}

// The guard held, and the mix brought up to now, for a call on a buffer.
class BufferCall {
 public:
  explicit BufferCall(PlayBuffer* buffer) : hold_(SoundGuard()) {
    if (buffer != nullptr) buffer->device->output->catchUp(buffer->device);
  }

 private:
  std::lock_guard<std::mutex> hold_;
};

}  // namespace

std::mutex& SoundGuard() {
  // Never destroyed: the headless output finishes its file at exit.
  static std::mutex* guard = new std::mutex;
  return *guard;
}

SoundResult OpenSoundDevice(SoundDevice** device) {
  if (device == nullptr) return kSoundInvalidParams;
  *device = nullptr;
  auto* opened = new (std::nothrow) SoundDevice;
  if (opened == nullptr) return kSoundOutOfMemory;
  opened->output = &Choose(kSdlSoundOutput, kHeadlessSoundOutput);
  opened->primary = kFirstPrimary;
  {
    std::lock_guard<std::mutex> hold(SoundGuard());
    if (gDevice != nullptr) {
      delete opened;
      return kSoundInvalidCall;
    }
    gDevice = opened;
  }
  if (!opened->output->start(opened)) {
    std::lock_guard<std::mutex> hold(SoundGuard());
    gDevice = nullptr;
    delete opened;
    return kSoundNoDevice;
  }
  *device = opened;
  return kSoundOk;
}

void CloseSoundDevice(SoundDevice* device) {
  if (device == nullptr) return;
  {
    std::lock_guard<std::mutex> hold(SoundGuard());
    device->output->catchUp(device);
  }
  device->output->stop(device);
  std::lock_guard<std::mutex> hold(SoundGuard());
  for (PlayBuffer* buffer : device->buffers) delete buffer;
  if (gDevice == device) gDevice = nullptr;
  delete device;
}

SoundResult SetOutputFormat(SoundDevice* device, const WaveFormat& format) {
  if (device == nullptr) return kSoundInvalidParams;
  if (!PlayableFormat(format)) return kSoundBadFormat;
  {
    std::lock_guard<std::mutex> hold(SoundGuard());
    device->output->catchUp(device);
  }
  if (!device->output->follow(device, format)) return kSoundFailed;
  std::lock_guard<std::mutex> hold(SoundGuard());
  device->primary = format;
  return kSoundOk;
}

SoundResult DescribeSoundDevice(SoundDevice* device, SoundDeviceCaps* caps) {
  if (device == nullptr || caps == nullptr) return kSoundInvalidParams;
  *caps = {true, true, true, true, true, true, true, true, kPlayFrequencyMin, kPlayFrequencyMax,
           0,    0};
  return kSoundOk;
}

std::vector<SoundDriver> ListSoundDrivers() {
  return Choose(kSdlSoundOutput, kHeadlessSoundOutput).drivers();
}

SoundResult CreatePlayBuffer(SoundDevice* device, const WaveFormat& format, uint32_t bytes,
                             uint32_t flags, PlayBuffer** buffer) {
  if (device == nullptr || buffer == nullptr) return kSoundInvalidParams;
  *buffer = nullptr;
  if ((flags & ~kKnownFlags) != 0 || bytes < kLeastBufferBytes || bytes > kMostBufferBytes) {
    return kSoundInvalidParams;
  }
  if (!PlayableFormat(format)) return kSoundBadFormat;
  if (bytes < format.blockAlign) return kSoundInvalidParams;
  auto* made = new (std::nothrow) PlayBuffer;
  if (made == nullptr) return kSoundOutOfMemory;
  try {
    made->data = std::make_shared<PlayData>();
    made->data->bytes.assign(bytes, format.bitsPerSample == 8 ? 0x80 : 0);
  } catch (const std::bad_alloc&) {
    delete made;
    return kSoundOutOfMemory;
  }
  made->device = device;
  made->format = format;
  made->flags = flags;
  made->frames = bytes / format.blockAlign;
  made->frequency = format.samplesPerSecond;
  BufferCall call(made);
  device->buffers.push_back(made);
  *buffer = made;
  return kSoundOk;
}

SoundResult DuplicatePlayBuffer(SoundDevice* device, PlayBuffer* original, PlayBuffer** copy) {
  if (device == nullptr || original == nullptr || copy == nullptr) return kSoundInvalidParams;
  *copy = nullptr;
  BufferCall call(original);
  auto* made = new (std::nothrow) PlayBuffer(*original);
  if (made == nullptr) return kSoundOutOfMemory;
  made->playing = false;
  made->looping = false;
  made->position = 0;
  device->buffers.push_back(made);
  *copy = made;
  return kSoundOk;
}

void ReleasePlayBuffer(PlayBuffer* buffer) {
  if (buffer == nullptr) return;
  BufferCall call(buffer);
  std::vector<PlayBuffer*>& buffers = buffer->device->buffers;
  buffers.erase(std::remove(buffers.begin(), buffers.end(), buffer), buffers.end());
  delete buffer;
}

SoundResult LockPlayBuffer(PlayBuffer* buffer, uint32_t offset, uint32_t bytes,
                           PlayRegions* regions) {
  if (buffer == nullptr || regions == nullptr) return kSoundInvalidParams;
  BufferCall call(buffer);
  std::vector<uint8_t>& data = buffer->data->bytes;
  const uint32_t size = static_cast<uint32_t>(data.size());
  if (offset >= size || bytes == 0 || bytes > size) return kSoundInvalidParams;
  if (buffer->data->locked) return kSoundInvalidCall;
  buffer->data->locked = true;
  const uint32_t first = std::min(bytes, size - offset);
  *regions = {data.data() + offset, first, bytes > first ? data.data() : nullptr, bytes - first};
  return kSoundOk;
}

SoundResult UnlockPlayBuffer(PlayBuffer* buffer, const PlayRegions& regions) {
  if (buffer == nullptr) return kSoundInvalidParams;
  BufferCall call(buffer);
  uint8_t* start = buffer->data->bytes.data();
  const size_t size = buffer->data->bytes.size();
  const auto inside = [start, size](const uint8_t* at, uint32_t bytes) {
    return at >= start && at <= start + size && bytes <= size - (at - start);
  };
  if (!buffer->data->locked) return kSoundInvalidCall;
  if (regions.first == nullptr || !inside(regions.first, regions.firstBytes) ||
      (regions.second != nullptr && !inside(regions.second, regions.secondBytes))) {
    return kSoundInvalidParams;
  }
  buffer->data->locked = false;
  return kSoundOk;
}

SoundResult PlayPlayBuffer(PlayBuffer* buffer, bool looping) {
  if (buffer == nullptr) return kSoundInvalidParams;
  BufferCall call(buffer);
  buffer->playing = true;
  buffer->looping = looping;
  return kSoundOk;
}

SoundResult StopPlayBuffer(PlayBuffer* buffer) {
  if (buffer == nullptr) return kSoundInvalidParams;
  BufferCall call(buffer);
  buffer->playing = false;
  return kSoundOk;
}

SoundResult PlayBufferStatus(PlayBuffer* buffer, PlayStatus* status) {
  if (buffer == nullptr || status == nullptr) return kSoundInvalidParams;
  BufferCall call(buffer);
  *status = {buffer->playing, buffer->playing && buffer->looping};
  return kSoundOk;
}

SoundResult PlayBufferPosition(PlayBuffer* buffer, uint32_t* offset) {
  if (buffer == nullptr || offset == nullptr) return kSoundInvalidParams;
  BufferCall call(buffer);
  *offset = static_cast<uint32_t>(buffer->position >> 32) * buffer->format.blockAlign;
  return kSoundOk;
}

SoundResult SetPlayBufferPosition(PlayBuffer* buffer, uint32_t offset) {
  if (buffer == nullptr) return kSoundInvalidParams;
  BufferCall call(buffer);
  const uint32_t frame = offset / buffer->format.blockAlign;
  if (frame >= buffer->frames) return kSoundInvalidParams;
  buffer->position = uint64_t{frame} << 32;
  return kSoundOk;
}

SoundResult SetPlayBufferVolume(PlayBuffer* buffer, int32_t hundredthsOfDecibel) {
  if (buffer == nullptr) return kSoundInvalidParams;
  BufferCall call(buffer);
  if ((buffer->flags & kPlayControlVolume) == 0) return kSoundNoControl;
  if (hundredthsOfDecibel < kPlayVolumeMin || hundredthsOfDecibel > kPlayVolumeMax) {
    return kSoundInvalidParams;
  }
  buffer->volume = hundredthsOfDecibel;
  UpdateGains(buffer);
  return kSoundOk;
}

SoundResult SetPlayBufferPan(PlayBuffer* buffer, int32_t pan) {
  if (buffer == nullptr) return kSoundInvalidParams;
  BufferCall call(buffer);
  if ((buffer->flags & kPlayControlPan) == 0) return kSoundNoControl;
  if (pan < kPlayPanLeft || pan > kPlayPanRight) return kSoundInvalidParams;
  buffer->pan = pan;
  UpdateGains(buffer);
  return kSoundOk;
}

SoundResult SetPlayBufferFrequency(PlayBuffer* buffer, uint32_t hz) {
  if (buffer == nullptr) return kSoundInvalidParams;
  BufferCall call(buffer);
  if ((buffer->flags & kPlayControlFrequency) == 0) return kSoundNoControl;
  if (hz == kPlayOriginalFrequency) {
    buffer->frequency = buffer->format.samplesPerSecond;
    return kSoundOk;
  }
  if (hz < kPlayFrequencyMin || hz > kPlayFrequencyMax) return kSoundInvalidParams;
  buffer->frequency = hz;
  return kSoundOk;
}

}  // namespace kumo::platform
