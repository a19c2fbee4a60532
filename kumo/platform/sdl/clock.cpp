// The machine's real clocks: the monotonic clock for the tick and the high-resolution counter,
// the processor's time-stamp counter where it has one.
#include <sched.h>
#include <time.h>

#include <cerrno>

#include "kumo/platform/backend.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#endif

namespace kumo::platform {

namespace {

uint64_t MonotonicNanos() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

uint32_t RealTickMillis() { return static_cast<uint32_t>(MonotonicNanos() / 1000000u); }

uint64_t RealCounterFrequency() { return 1000000000u; }

uint64_t RealCounterValue() { return MonotonicNanos(); }

bool RealHasCycleCounter() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (edx & (1u << 4)) != 0;
#else
  return false;
#endif
}

uint64_t RealCycleCounter() {
#if defined(__x86_64__) || defined(__i386__)
  return __rdtsc();
#else
  return 0;
#endif
}

void RealSleepMillis(uint32_t ms) {
  if (ms == 0) {
    sched_yield();
    return;
  }
  timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

void RealTimedWaitElapsed(uint32_t) {}

}  // namespace

const ClockService kSdlClock = {RealTickMillis,      RealCounterFrequency, RealCounterValue,
                                RealHasCycleCounter, RealCycleCounter,     RealSleepMillis,
                                RealTimedWaitElapsed};

}  // namespace kumo::platform
