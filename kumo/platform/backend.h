// Which backend runs this process, and the services that differ between the backends. Used only
// inside the platform layer: the library sees the service headers.
#pragma once

#include <cstdint>
#include <vector>

#include "kumo/platform/display_modes.h"
#include "kumo/platform/sound_device.h"

namespace kumo::platform {

enum class BackendKind { Sdl, Headless };

// Chosen once, from KUMO_PLATFORM ("sdl" or unset: Sdl; "headless": Headless).
BackendKind ActiveBackend();

struct ClockService {
  uint32_t (*tickMillis)();
  uint64_t (*counterFrequency)();
  uint64_t (*counterValue)();
  bool (*hasCycleCounter)();
  uint64_t (*cycleCounter)();
  void (*sleepMillis)(uint32_t ms);
  void (*timedWaitElapsed)(uint32_t ms);
};

struct MessageBoxService {
  void (*show)(const char* caption, const char* text);
};

struct Window;
struct Desktop;

// The window system under the backend-independent window record: the native window behind it,
// and the events that become messages.
struct WindowService {
  // The native window for the record (its place and styles are set already); none on failure.
  void* (*create)(Window* window, const char* title);
  void (*destroy)(Window* window);
  void (*show)(Window* window);
  void (*minimize)(Window* window);
  // The record's styles, or its place, have changed.
  void (*restyle)(Window* window);
  void (*place)(Window* window);
  // Turns the window system's pending events into messages for the window (main thread).
  void (*pumpEvents)(Window* window);
  void (*cursorPosition)(int* x, int* y);
  void (*setCursorVisible)(bool visible);
  void (*raise)(Window* window);
  void (*setScreenSaver)(bool enabled);
  void (*setInputMethod)(bool enabled);
  Desktop (*desktop)();
};

struct ProcessorInfo;
struct MemoryStatus;
struct OsVersion;

// The machine the backend reports: the real one, or a fixed one for reproducible runs.
struct SystemInfoService {
  ProcessorInfo (*processor)();
  MemoryStatus (*memory)();
  OsVersion (*os)();
};

// The display under the drawing surfaces and window bitmaps: its modes, the picture a window
// shows, and the clock its vertical blank follows.
struct DisplayService {
  // Whether there is a display to draw on.
  bool (*available)();
  DisplayMode (*desktop)();
  std::vector<DisplayMode> (*modes)();
  // Puts the display into an accepted mode for the window (none: the desktop's mode).
  bool (*apply)(Window* window, const DisplayMode* mode);
  // Shows a picture of 0x00RRGGBB pixels in the window. `vsync`: at the next vertical blank;
  // `frame`: the window's whole picture is new.
  void (*show)(Window* window, const uint32_t* picture, int width, int height, bool vsync,
               bool frame);
  // The vertical blank's clock in nanoseconds, and a wait until a time on it.
  uint64_t (*nanos)();
  void (*waitUntil)(uint64_t nanos);
  // What draws: a name and a description.
  const char* driver;
  const char* description;
};

// The output under the sound device: where the mix goes, and what clock it follows.
struct SoundOutputService {
  // Starts output for the device at 44100 Hz in stereo, setting the device's mixing rate and
  // channels; false when there is no output. The output then mixes the device's buffers, taking
  // the sound guard, or does so in catchUp.
  bool (*start)(SoundDevice* device);
  // Moves the output to the primary format's rate and channels, if it follows them; without the
  // sound guard.
  bool (*follow)(SoundDevice* device, const WaveFormat& primary);
  // Ends the output; without the sound guard.
  void (*stop)(SoundDevice* device);
  // With the sound guard held, at the start of every device call: mixes what is due by now.
  void (*catchUp)(SoundDevice* device);
  std::vector<SoundDriver> (*drivers)();
};

// Each backend's implementation of each service.
extern const ClockService kSdlClock;
extern const ClockService kHeadlessClock;
extern const MessageBoxService kSdlMessageBox;
extern const MessageBoxService kHeadlessMessageBox;
extern const WindowService kSdlWindow;
extern const WindowService kHeadlessWindow;
extern const SystemInfoService kSdlSystemInfo;
extern const SystemInfoService kHeadlessSystemInfo;
extern const DisplayService kSdlDisplay;
extern const DisplayService kHeadlessDisplay;
extern const SoundOutputService kSdlSoundOutput;
extern const SoundOutputService kHeadlessSoundOutput;

// Tells the active clock that a wait with a time-out of `ms` timed out on the calling thread.
void NoteTimedWaitElapsed(uint32_t ms);

// The active backend's implementation of a service.
template <typename Service>
const Service& Choose(const Service& sdl, const Service& headless) {
  return ActiveBackend() == BackendKind::Headless ? headless : sdl;
}

}  // namespace kumo::platform
