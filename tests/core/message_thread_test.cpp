#include "kumo/core/message_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "kumo/core/api_lock.h"
#include "kumo/core/system_record.h"
#include "tests/common/eventually.h"

namespace kumo {
namespace {

using kumo::testing::Eventually;

std::atomic<int> gPumps{0};
std::atomic<int> gPumpsBeforeEnd{0};

// Stands in for ProcessMessage: counts its calls and asks to end after a set number.
int CountingPump() {
  EXPECT_TRUE(ApiLockSnapshot().held);  // always called under the lock
  return gPumps.fetch_add(1) + 1 >= gPumpsBeforeEnd.load() ? -1 : 0;
}

class MessageThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gPumps = 0;
    System().quitRequested = 0;
    System().messageThreadEnded = 0;
  }
  void TearDown() override { System().quitRequested = 0; }
};

TEST_F(MessageThreadTest, PumpsUnderTheLockUntilThePumpAsksToEnd) {
  gPumpsBeforeEnd = 3;
  std::thread thread(RunMessageThread, CountingPump);
  thread.join();
  EXPECT_EQ(gPumps.load(), 3);
  EXPECT_EQ(System().messageThreadEnded.load(), 1);
  EXPECT_FALSE(ApiLockSnapshot().held);
}

TEST_F(MessageThreadTest, WaitsForTheLockHeldByTheMainThread) {
  gPumpsBeforeEnd = 1;
  ApiEnter();
  std::thread thread(RunMessageThread, CountingPump);
  ASSERT_TRUE(Eventually([] { return ApiLockSnapshot().waiterCount == 1; }));
  EXPECT_EQ(gPumps.load(), 0);
  ApiLeave();
  thread.join();
  EXPECT_EQ(gPumps.load(), 1);
}

// A quit request reaches a thread that waits for the lock: it leaves the queue without pumping,
// and the thread queued behind it still gets the lock when the holder leaves.
TEST_F(MessageThreadTest, QuitWhileWaitingLeavesTheQueue) {
  gPumpsBeforeEnd = 1;
  ApiEnter();
  std::thread messages(RunMessageThread, CountingPump);
  ASSERT_TRUE(Eventually([] { return ApiLockSnapshot().waiterCount == 1; }));
  std::atomic<bool> otherServed{false};
  std::thread other([&otherServed] {
    ApiEnter();
    otherServed = true;
    ApiLeave();
  });
  ASSERT_TRUE(Eventually([] { return ApiLockSnapshot().waiterCount == 2; }));

  System().quitRequested = 1;
  messages.join();
  EXPECT_EQ(System().messageThreadEnded.load(), 1);
  EXPECT_EQ(gPumps.load(), 0);
  EXPECT_EQ(ApiLockSnapshot().waiterCount, 1);
  EXPECT_FALSE(otherServed.load());

  ApiLeave();
  other.join();
  EXPECT_TRUE(otherServed.load());
  EXPECT_EQ(ApiLockSnapshot().waiterCount, 0);
}

TEST_F(MessageThreadTest, DoesNothingOnceQuitIsRequested) {
  gPumpsBeforeEnd = 1;
  System().quitRequested = 1;
  std::thread thread(RunMessageThread, CountingPump);
  thread.join();
  EXPECT_EQ(gPumps.load(), 0);
  EXPECT_EQ(System().messageThreadEnded.load(), 1);
}

}  // namespace
}  // namespace kumo
