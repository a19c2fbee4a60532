#include "kumo/core/time.h"

#include <gtest/gtest.h>

#include "kumo/core/system_record.h"
#include "kumo/kumo.h"
#include "kumo/platform/headless/virtual_clock.h"

namespace kumo {
namespace {

using platform::headless::SetVirtualNanos;

constexpr uint64_t kNanosPerMilli = 1000000;

TEST(GetTickMillis, WrapsAtTwoToTheThirtyTwo) {
  SetVirtualNanos((uint64_t{1} << 32) * kNanosPerMilli - kNanosPerMilli);
  EXPECT_EQ(GetTickMillis(0), -1);  // 0xFFFFFFFF returned as int
  SetVirtualNanos((uint64_t{1} << 32) * kNanosPerMilli);
  EXPECT_EQ(GetTickMillis(12345), 0);
}

class GetMicrosecondsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = {System().facts.hasTsc, System().facts.tscPerSecond,
              System().facts.usePerformanceCounter, System().facts.counterFrequency,
              System().initialised};
    // About 115 days in, so that a 64-bit product of counter and 1000000 would overflow.
    SetVirtualNanos(uint64_t{10000000} * 1000 * kNanosPerMilli);
  }
  void TearDown() override {
    System().facts.hasTsc = saved_.hasTsc;
    System().facts.tscPerSecond = saved_.tscPerSecond;
    System().facts.usePerformanceCounter = saved_.usePerformanceCounter;
    System().facts.counterFrequency = saved_.counterFrequency;
    System().initialised = saved_.initialised;
  }
  void Configure(int hasTsc, int initialised, int usePerformanceCounter) {
    System().facts.hasTsc = hasTsc;
    // Twice the virtual processor's real rate, so that a time-stamp reading shows as half time.
    System().facts.tscPerSecond =
        2 * static_cast<int64_t>(platform::headless::kCycleCounterFrequency);
    System().initialised = initialised;
    System().facts.usePerformanceCounter = usePerformanceCounter;
    System().facts.counterFrequency = static_cast<int64_t>(platform::headless::kCounterFrequency);
  }

 private:
  struct {
    int hasTsc;
    int64_t tscPerSecond;
    int usePerformanceCounter;
    int64_t counterFrequency;
    int initialised;
  } saved_{};
};

// The virtual clock stands at 10^13 us; each source reads it through its own counter, and the
// millisecond tick has wrapped twice by then.
TEST_F(GetMicrosecondsTest, FallsBackInOrder) {
  constexpr int64_t kNow = 10000000000000;
  constexpr int64_t kWrappedTickNow = (10000000000 % (int64_t{1} << 32)) * 1000;
  constexpr int64_t kSlack = 10;  // the clock's steps on every read
  struct Case {
    const char* name;
    int hasTsc, initialised, usePerformanceCounter, useTsc;
    int64_t expected;
  };
  const Case cases[] = {
      {"time-stamp counter", 1, 1, 1, 1, kNow / 2},
      {"not asked for the time-stamp counter", 1, 1, 1, 0, kNow},
      {"before start-up has finished", 1, 0, 1, 1, kNow},
      {"no time-stamp counter", 0, 1, 1, 1, kNow},
      {"millisecond tick", 0, 1, 0, 1, kWrappedTickNow},
      {"millisecond tick, before start-up", 1, 0, 0, 1, kWrappedTickNow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetVirtualNanos(uint64_t{10000000} * 1000 * kNanosPerMilli);
    Configure(c.hasTsc, c.initialised, c.usePerformanceCounter);
    const int64_t result = GetMicroseconds(c.useTsc);
    EXPECT_GE(result, c.expected);
    EXPECT_LE(result, c.expected + kSlack);
  }
}

TEST_F(GetMicrosecondsTest, MillisecondTickAdvancesInStepsOfOneThousand) {
  Configure(0, 1, 0);
  const int64_t first = GetMicroseconds(0);
  EXPECT_EQ(first % 1000, 0);
  platform::headless::AdvanceVirtualNanos(1500 * 1000);  // 1.5 ms
  EXPECT_EQ(GetMicroseconds(0) - first, 1000);
}

}  // namespace
}  // namespace kumo
