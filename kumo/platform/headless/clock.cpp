#include <sched.h>

#include <atomic>

#include "kumo/platform/backend.h"
#include "kumo/platform/headless/virtual_clock.h"
#include "kumo/platform/threads.h"

namespace kumo::platform {

namespace headless {

namespace {

std::atomic<uint64_t> gNanos{0};

uint32_t TickMillis() { return static_cast<uint32_t>(ReadVirtualNanos() / 1000000u); }

uint64_t CounterFrequency() { return kCounterFrequency; }

uint64_t CounterValue() { return ReadVirtualNanos() / (1000000000u / kCounterFrequency); }

bool HasCycleCounter() { return true; }

uint64_t CycleCounter() { return ReadVirtualNanos() * (kCycleCounterFrequency / 1000000000u); }

// The main thread's sleep passes virtual time at once; other threads sleep on the real clock,
// since only the main thread moves the virtual one.
void SleepMillis(uint32_t ms) {
  if (ms == 0) {
    sched_yield();
  } else if (IsMainThread()) {
    AdvanceVirtualNanos(uint64_t{ms} * 1000000u);
    sched_yield();
  } else {
    kSdlClock.sleepMillis(ms);
  }
}

void TimedWaitElapsed(uint32_t ms) {
  if (IsMainThread()) AdvanceVirtualNanos(uint64_t{ms} * 1000000u);
}

}  // namespace

uint64_t ReadVirtualNanos() {
  if (IsMainThread()) return gNanos.fetch_add(kReadStepNanos, std::memory_order_relaxed);
  return gNanos.load(std::memory_order_relaxed);
}

uint64_t VirtualNanos() { return gNanos.load(std::memory_order_relaxed); }

void SetVirtualNanos(uint64_t nanos) { gNanos.store(nanos, std::memory_order_relaxed); }

void AdvanceVirtualNanos(uint64_t nanos) { gNanos.fetch_add(nanos, std::memory_order_relaxed); }

}  // namespace headless

const ClockService kHeadlessClock = {headless::TickMillis,      headless::CounterFrequency,
                                     headless::CounterValue,    headless::HasCycleCounter,
                                     headless::CycleCounter,    headless::SleepMillis,
                                     headless::TimedWaitElapsed};

}  // namespace kumo::platform
