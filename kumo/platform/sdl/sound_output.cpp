// The SDL sound output: an SDL audio device of 16-bit samples at the primary format's rate and
// channels (SDL converts for the hardware), whose callback runs the mixer on SDL's audio thread
// under the sound guard. Without an audio device the output does not start.
#include <SDL.h>

#include <cstdio>

#include "kumo/platform/backend.h"
#include "kumo/platform/play_buffer_record.h"
#include "kumo/platform/sound_mixer.h"
#include "kumo/platform/text_encoding.h"

namespace kumo::platform {

namespace sdl {

namespace {

// Frames per callback: about 12 ms at 44100 Hz.
constexpr Uint16 kCallbackFrames = 512;

SDL_AudioDeviceID gOutput = 0;

void Mix(void* user, Uint8* stream, int length) {
  auto* device = static_cast<SoundDevice*>(user);
  std::lock_guard<std::mutex> hold(SoundGuard());
  const size_t frames = static_cast<size_t>(length) / (2 * device->mixChannels);
  MixPlayBuffers(device->buffers, device->mixRate, device->mixChannels,
                 reinterpret_cast<int16_t*>(stream), frames);
}

bool Open(SoundDevice* device, uint32_t rate, int channels) {
  SDL_AudioSpec wanted{};
  wanted.freq = static_cast<int>(rate);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = static_cast<Uint8>(channels);
  wanted.samples = kCallbackFrames;
  wanted.callback = Mix;
  wanted.userdata = device;
  SDL_AudioSpec obtained{};
  const SDL_AudioDeviceID output = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (output == 0) {
    std::fprintf(stderr, "SDL audio: %s\n", SDL_GetError());
    return false;
  }
  // The callback runs only once the device is unpaused.
  device->mixRate = rate;
  device->mixChannels = channels;
  gOutput = output;
  SDL_PauseAudioDevice(gOutput, 0);
  return true;
}

bool Start(SoundDevice* device) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "SDL audio: %s\n", SDL_GetError());
    return false;
  }
  if (Open(device, 44100, 2)) return true;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return false;
}

// A refused format leaves the output as it was.
bool Follow(SoundDevice* device, const WaveFormat& primary) {
  const uint32_t rate = device->mixRate;
  const int channels = device->mixChannels;
  if (primary.samplesPerSecond == rate && primary.channels == channels) return true;
  SDL_CloseAudioDevice(gOutput);
  gOutput = 0;
  if (Open(device, primary.samplesPerSecond, primary.channels)) return true;
  Open(device, rate, channels);
  return false;
}

void Stop(SoundDevice*) {
  if (gOutput != 0) SDL_CloseAudioDevice(gOutput);
  gOutput = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void CatchUp(SoundDevice*) {}

std::vector<SoundDriver> Drivers() {
  std::vector<SoundDriver> drivers;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return drivers;
  const char* module = SDL_GetCurrentAudioDriver();
  const std::string name = Utf8ToShiftJis(module != nullptr ? module : "");
  drivers.push_back({name, "default output device"});
  const int count = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < count; ++i) {
    const char* description = SDL_GetAudioDeviceName(i, 0);
    if (description != nullptr) drivers.push_back({name, Utf8ToShiftJis(description)});
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return drivers;
}

}  // namespace

}  // namespace sdl

const SoundOutputService kSdlSoundOutput = {sdl::Start, sdl::Follow, sdl::Stop, sdl::CatchUp,
                                            sdl::Drivers};

}  // namespace kumo::platform
