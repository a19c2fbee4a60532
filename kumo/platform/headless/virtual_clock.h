// The headless backend's virtual clock, in nanoseconds. The millisecond tick, the high-resolution
// counter and the time-stamp counter all read it. The main thread moves it: by the asked time
// when it sleeps or a wait with a time-out times out, and by a small step on every read, so that
// busy-waits end. Other threads read it without moving it.
#pragma once

#include <cstdint>

namespace kumo::platform::headless {

// Added to the clock by every read on the main thread.
constexpr uint64_t kReadStepNanos = 1000;
// Rates of the counters that read the clock.
constexpr uint64_t kCounterFrequency = 10000000;         // 10 MHz
constexpr uint64_t kCycleCounterFrequency = 3000000000;  // a 3 GHz processor

uint64_t VirtualNanos();
// A read as the counters make it: on the main thread it steps the clock on.
uint64_t ReadVirtualNanos();
void SetVirtualNanos(uint64_t nanos);
void AdvanceVirtualNanos(uint64_t nanos);

}  // namespace kumo::platform::headless
