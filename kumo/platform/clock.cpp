#include "kumo/platform/clock.h"

#include "kumo/platform/backend.h"

namespace kumo::platform {

namespace {

const ClockService& Clock() {
  static const ClockService& service = Choose(kSdlClock, kHeadlessClock);
  return service;
}

}  // namespace

uint32_t TickMillis() { return Clock().tickMillis(); }
uint64_t CounterFrequency() { return Clock().counterFrequency(); }
uint64_t CounterValue() { return Clock().counterValue(); }
bool HasCycleCounter() { return Clock().hasCycleCounter(); }
uint64_t CycleCounter() { return Clock().cycleCounter(); }
void SleepMillis(uint32_t ms) { Clock().sleepMillis(ms); }

uint32_t TimerFinestPeriod() { return 1; }
void TimerBeginPeriod(uint32_t) {}
void TimerEndPeriod(uint32_t) {}

void NoteTimedWaitElapsed(uint32_t ms) { Clock().timedWaitElapsed(ms); }

}  // namespace kumo::platform
