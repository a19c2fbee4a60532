// The headless sound output plays in virtual time: whenever the device is called, everything due
// since the output started is mixed at 44100 Hz in stereo, frame for frame with the virtual
// clock, and written to KUMO_AUDIO_OUT when it names a file. The file is finished when the
// device closes, or at exit while it is still open.
#include <algorithm>
#include <cstdlib>

#include "kumo/platform/backend.h"
#include "kumo/platform/headless/virtual_clock.h"
#include "kumo/platform/headless/wave_capture.h"
#include "kumo/platform/play_buffer_record.h"
#include "kumo/platform/sound_mixer.h"

namespace kumo::platform {

namespace headless {

namespace {

using Wide = unsigned __int128;

constexpr size_t kChunkFrames = 1024;

// The open device's output; plain values, so that they outlive every destructor run at exit.
SoundDevice* gDevice = nullptr;
uint64_t gStartNanos = 0;
uint64_t gMixedFrames = 0;
WaveCapture gCapture;

void CatchUp(SoundDevice* device) {
  const uint64_t now = VirtualNanos();
  if (now <= gStartNanos) return;
  const uint64_t due = static_cast<uint64_t>(Wide{now - gStartNanos} * kCaptureRate / 1000000000u);
  int16_t samples[kChunkFrames * kCaptureChannels];
  while (gMixedFrames < due) {
    const size_t frames = static_cast<size_t>(std::min<uint64_t>(due - gMixedFrames, kChunkFrames));
    MixPlayBuffers(device->buffers, kCaptureRate, kCaptureChannels, samples, frames);
    AppendWaveCapture(&gCapture, samples, frames);
    gMixedFrames += frames;
  }
}

void FinishAtExit() {
  std::lock_guard<std::mutex> hold(SoundGuard());
  if (gDevice == nullptr) return;
  CatchUp(gDevice);
  FinishWaveCapture(&gCapture);
}

bool Start(SoundDevice* device) {
  static const bool registered = std::atexit(FinishAtExit) == 0;
  (void)registered;
  device->mixRate = kCaptureRate;
  device->mixChannels = kCaptureChannels;
  std::lock_guard<std::mutex> hold(SoundGuard());
  gDevice = device;
  gStartNanos = VirtualNanos();
  gMixedFrames = 0;
  const char* path = std::getenv("KUMO_AUDIO_OUT");
  if (path != nullptr && path[0] != '\0') StartWaveCapture(&gCapture, path);
  return true;
}

// The output stays at the file's format.
bool Follow(SoundDevice*, const WaveFormat&) { return true; }

void Stop(SoundDevice*) {
  std::lock_guard<std::mutex> hold(SoundGuard());
  FinishWaveCapture(&gCapture);
  gDevice = nullptr;
}

std::vector<SoundDriver> Drivers() {
  return {{"headless", "the headless backend's mix in virtual time"}};
}

}  // namespace

}  // namespace headless

const SoundOutputService kHeadlessSoundOutput = {headless::Start, headless::Follow, headless::Stop,
                                                 headless::CatchUp, headless::Drivers};

}  // namespace kumo::platform
