// Which backend runs this process, and the services that differ between the backends. Used only
// inside the platform layer: the library sees the service headers.
#pragma once

#include <cstdint>

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

// Each backend's implementation of each service.
extern const ClockService kSdlClock;
extern const ClockService kHeadlessClock;
extern const MessageBoxService kSdlMessageBox;
extern const MessageBoxService kHeadlessMessageBox;

// Tells the active clock that a wait with a time-out of `ms` timed out on the calling thread.
void NoteTimedWaitElapsed(uint32_t ms);

// The active backend's implementation of a service.
template <typename Service>
const Service& Choose(const Service& sdl, const Service& headless) {
  return ActiveBackend() == BackendKind::Headless ? headless : sdl;
}

}  // namespace kumo::platform
