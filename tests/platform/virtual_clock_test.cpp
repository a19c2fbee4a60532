#include "kumo/platform/headless/virtual_clock.h"

#include <gtest/gtest.h>

#include <thread>

#include "kumo/platform/clock.h"
#include "kumo/platform/sync.h"

namespace kumo::platform {
namespace {

using headless::kReadStepNanos;
using headless::SetVirtualNanos;
using headless::VirtualNanos;

TEST(VirtualClock, MainThreadSleepsPassExactlyTheAskedTime) {
  SetVirtualNanos(0);
  SleepMillis(1523);
  EXPECT_EQ(VirtualNanos(), 1523u * 1000000u);
  SleepMillis(0);  // only yields
  EXPECT_EQ(VirtualNanos(), 1523u * 1000000u);
}

TEST(VirtualClock, EveryReadOnTheMainThreadStepsItOn) {
  SetVirtualNanos(5000000);
  EXPECT_EQ(TickMillis(), 5u);
  EXPECT_EQ(VirtualNanos(), 5000000 + kReadStepNanos);
  CounterValue();
  CycleCounter();
  EXPECT_EQ(VirtualNanos(), 5000000 + 3 * kReadStepNanos);
}

TEST(VirtualClock, CountersReadTheSameClockAtTheirRates) {
  SetVirtualNanos(2000000000);  // 2 s
  EXPECT_TRUE(HasCycleCounter());
  EXPECT_EQ(TickMillis(), 2000u);
  EXPECT_EQ(CounterValue() / CounterFrequency(), 2u);
  EXPECT_EQ(CycleCounter() / headless::kCycleCounterFrequency, 2u);
}

// A busy-wait on the tick ends, because reading it moves it.
TEST(VirtualClock, BusyWaitOnTheTickEnds) {
  SetVirtualNanos(0);
  const uint32_t start = TickMillis();
  while (TickMillis() - start < 100) {
  }
  EXPECT_GE(VirtualNanos(), 100u * 1000000u);
}

TEST(VirtualClock, OtherThreadsNeitherMoveItBySleepingNorByReading) {
  SetVirtualNanos(7000000);
  std::thread other([] {
    SleepMillis(2);
    for (int i = 0; i < 100; ++i) TickMillis();
  });
  other.join();
  EXPECT_EQ(VirtualNanos(), 7000000u);
}

TEST(VirtualClock, TimedOutWaitOnTheMainThreadPassesTheAskedTime) {
  Event* event = CreateEvent();
  SetVirtualNanos(0);
  EXPECT_FALSE(WaitEventFor(event, 30));
  EXPECT_EQ(VirtualNanos(), 30u * 1000000u);

  SignalEvent(event);
  EXPECT_TRUE(WaitEventFor(event, 30));
  EXPECT_EQ(VirtualNanos(), 30u * 1000000u);
  DestroyEvent(event);
}

}  // namespace
}  // namespace kumo::platform
