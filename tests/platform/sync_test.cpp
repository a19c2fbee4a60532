#include "kumo/platform/sync.h"

#include <gtest/gtest.h>

#include <thread>

namespace kumo::platform {
namespace {

TEST(Event, StaysSignalledUntilReset) {
  Event* event = CreateEvent();
  EXPECT_FALSE(IsEventSignalled(event));
  SignalEvent(event);
  WaitEvent(event);
  WaitEvent(event);  // manual reset: still signalled
  EXPECT_TRUE(IsEventSignalled(event));
  ResetEvent(event);
  EXPECT_FALSE(IsEventSignalled(event));
  DestroyEvent(event);
}

TEST(Event, WakesAWaiterOnAnotherThread) {
  Event* event = CreateEvent();
  std::thread waiter([event] { WaitEvent(event); });
  SignalEvent(event);
  waiter.join();
  DestroyEvent(event);
}

}  // namespace
}  // namespace kumo::platform
