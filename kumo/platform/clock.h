// Clocks and sleeping. Library and game code read time and sleep only through these calls, so
// that the headless backend's virtual clock can govern a whole run.
#pragma once

#include <cstdint>

namespace kumo::platform {

// Milliseconds since an arbitrary start; unsigned 32-bit, wrapping at 2^32.
uint32_t TickMillis();

// High-resolution counter: its rate in counts per second (0 when there is no such counter) and
// its current value.
uint64_t CounterFrequency();
uint64_t CounterValue();

// The processor's time-stamp counter: whether it exists, and its current value.
bool HasCycleCounter();
uint64_t CycleCounter();

// Sleeps at least `ms` milliseconds; 0 only yields the processor to other threads.
void SleepMillis(uint32_t ms);

// The timer's period: the finest one it offers, and asking for it and giving it back. The clocks
// here always run at their finest, so these only report 1 ms.
uint32_t TimerFinestPeriod();
void TimerBeginPeriod(uint32_t ms);
void TimerEndPeriod(uint32_t ms);

}  // namespace kumo::platform
