#include "kumo/core/api_lock.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "kumo/kumo.h"
#include "kumo/platform/threads.h"
#include "tests/common/eventually.h"

namespace kumo {
namespace {

using kumo::testing::Eventually;

int WaiterCount() { return ApiLockSnapshot().waiterCount; }

TEST(ApiLock, ReentryReturnsDepthToWhereItWas) {
  ApiEnter();
  ApiEnter();
  EXPECT_EQ(ApiLockSnapshot().depth, 2);
  GetTickMillis(0);  // a public operation inside another one does not block
  EXPECT_EQ(ApiLockSnapshot().depth, 2);
  ApiLeave();
  EXPECT_EQ(ApiLockSnapshot().depth, 1);
  EXPECT_TRUE(ApiLockSnapshot().held);
  EXPECT_EQ(ApiLockSnapshot().owner, platform::CurrentThreadId());
  ApiLeave();
  const ApiLockState released = ApiLockSnapshot();
  EXPECT_EQ(released.depth, 0);
  EXPECT_FALSE(released.held);
  EXPECT_EQ(released.owner, 0xFFFFFFFFu);
}

TEST(ApiLock, UnbalancedLeaveReleasesNothing) {
  ApiEnter();
  ApiLeave();
  ApiLeave();
  EXPECT_EQ(ApiLockSnapshot().depth, 0);
  ApiEnter();
  EXPECT_EQ(ApiLockSnapshot().depth, 1);
  ApiLeave();
}

// Threads that queue while the lock is held get it in the order they queued; a newcomer that
// finds the lock just released, with others still queued, goes behind them.
TEST(ApiLock, WaitersAreServedFirstComeFirstServed) {
  std::vector<std::string> order;  // written only while holding the lock
  auto takeTurn = [&order](const char* name) {
    ApiEnter();
    order.push_back(name);
    ApiLeave();
  };

  ApiEnter();
  std::vector<std::thread> threads;
  int queued = 0;
  for (const char* name : {"B", "D", "C"}) {
    threads.emplace_back(takeTurn, name);
    ++queued;
    ASSERT_TRUE(Eventually([&] { return WaiterCount() == queued; }));
  }
  ApiLeave();
  takeTurn("A");  // the first holder comes back at once
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(order, (std::vector<std::string>{"B", "D", "C", "A"}));
  EXPECT_EQ(WaiterCount(), 0);
}

// With all waiter slots taken, a further newcomer retries until a slot frees, then gets its turn.
TEST(ApiLock, NewcomerRetriesWhileQueueIsFull) {
  std::atomic<int> served{0};
  auto takeTurn = [](void* counter) -> void* {
    ApiEnter();
    static_cast<std::atomic<int>*>(counter)->fetch_add(1);
    ApiLeave();
    return nullptr;
  };
  pthread_attr_t smallStack;
  pthread_attr_init(&smallStack);
  pthread_attr_setstacksize(&smallStack, 256 * 1024);

  ApiEnter();
  std::vector<pthread_t> threads(kApiWaiterSlots + 1);
  for (int i = 0; i < kApiWaiterSlots; ++i) {
    ASSERT_EQ(pthread_create(&threads[i], &smallStack, takeTurn, &served), 0);
  }
  ASSERT_TRUE(Eventually([] { return WaiterCount() == kApiWaiterSlots; }));

  ASSERT_EQ(pthread_create(&threads.back(), &smallStack, takeTurn, &served), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(WaiterCount(), kApiWaiterSlots);
  EXPECT_EQ(served.load(), 0);

  ApiLeave();
  for (pthread_t thread : threads) pthread_join(thread, nullptr);
  pthread_attr_destroy(&smallStack);
  EXPECT_EQ(served.load(), kApiWaiterSlots + 1);
  EXPECT_EQ(WaiterCount(), 0);
}

TEST(ApiLock, EndLibraryDestroysTheLockAndTheNextCallCreatesIt) {
  GetTickMillis(0);
  ASSERT_TRUE(ApiLockSnapshot().initialised);
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_FALSE(ApiLockSnapshot().initialised);

  GetTickMillis(0);
  const ApiLockState recreated = ApiLockSnapshot();
  EXPECT_TRUE(recreated.initialised);
  EXPECT_FALSE(recreated.held);
  EXPECT_EQ(recreated.waiterCount, 0);
}

}  // namespace
}  // namespace kumo
