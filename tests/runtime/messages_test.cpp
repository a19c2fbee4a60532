#include <string>
#include <thread>

#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/core/window.h"
#include "kumo/platform/headless/script.h"
#include "kumo/platform/headless/virtual_clock.h"
#include "kumo/platform/window.h"
#include "tests/runtime/library_fixture.h"

namespace {

using kumo::System;
namespace platform = kumo::platform;

// A message nobody handles: the window procedure passes it on.
constexpr uint32_t kPlainMessage = 0x0400;

class ProcessMessageTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(InitLibrary(), 0);
    ProcessMessage();  // what start-up left queued
  }
  static void PostPlain(int count) {
    for (int i = 0; i < count; ++i) {
      platform::PostWindowMessage(System().window, kPlainMessage, 0, 0);
    }
  }
};

// A pass takes at most five messages; the call goes on while a pass found any, and ends after
// one that found none.
TEST_F(ProcessMessageTest, DispatchesInPassesOfFiveUntilAPassFindsNothing) {
  struct Case {
    int queued;
    uint64_t looks;  // five a full pass (it stops at the fifth), one more for the empty queue
  };
  const Case cases[] = {{20, 4 * 5 + 1}, {3, 3 + 1 + 1}, {0, 1}, {5, 5 + 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.queued);
    PostPlain(c.queued);
    const platform::MessageQueueCounters before = platform::QueueCounters();
    EXPECT_EQ(ProcessMessage(), 0);
    const platform::MessageQueueCounters after = platform::QueueCounters();
    EXPECT_EQ(after.taken - before.taken, static_cast<uint64_t>(c.queued));
    EXPECT_EQ(after.looks - before.looks, c.looks);
  }
}

TEST_F(ProcessMessageTest, OnAnotherThreadMakesOnePassAndTakesNoWindowMessage) {
  PostPlain(3);
  platform::MessageQueueCounters other{};
  int result = -2;
  std::thread thread([&] {
    result = ProcessMessage();
    other = platform::QueueCounters();
  });
  thread.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(other.looks, 1u);
  EXPECT_EQ(other.taken, 0u);
  // The messages wait for the window's own thread.
  const platform::MessageQueueCounters before = platform::QueueCounters();
  ProcessMessage();
  EXPECT_EQ(platform::QueueCounters().taken - before.taken, 3u);
}

TEST_F(ProcessMessageTest, AClosedWindowEndsTheProgramForGood) {
  std::string error;
  ASSERT_TRUE(platform::headless::UseScript("1 close\n", &error)) << error;
  platform::headless::FramePresented();
  EXPECT_EQ(ProcessMessage(), -1);
  EXPECT_EQ(System().quitRequested.load(), 1);
  EXPECT_EQ(ProcessMessage(), -1);
  EXPECT_EQ(ProcessMessage(), -1);
  const std::vector<std::string> lines = LogLines();
  const std::vector<std::string> closing(lines.end() - 3, lines.end());
  EXPECT_EQ(closing, (std::vector<std::string>{"ウインドウを閉じようとしています",
                                               "ウインドウが破棄されようとしています",
                                               "ソフトを終了する準備が整いました"}));
}

// Deactivated, the main thread stays inside the call until the window is active again.
TEST_F(ProcessMessageTest, StaysInsideWhileTheWindowIsInactive) {
  std::string error;
  ASSERT_TRUE(platform::headless::UseScript("1 deactivate 250\n", &error)) << error;
  platform::headless::FramePresented();
  const uint64_t before = platform::headless::VirtualNanos();
  EXPECT_EQ(ProcessMessage(), 0);
  EXPECT_EQ(System().active, 1);
  EXPECT_GE(platform::headless::VirtualNanos() - before, 250u * 1000000u);
  // Back again, a call returns at once.
  const uint64_t after = platform::headless::VirtualNanos();
  EXPECT_EQ(ProcessMessage(), 0);
  EXPECT_LT(platform::headless::VirtualNanos() - after, 1000000u);
}

TEST_F(ProcessMessageTest, RefusesTheScreenSaverAndMonitorPowerOff) {
  for (const uintptr_t command : {platform::SC_SCREENSAVE, platform::SC_MONITORPOWER + 2}) {
    EXPECT_EQ(kumo::LibraryWindowProcedure(System().window, platform::WM_SYSCOMMAND, command, 0),
              1);
  }
  EXPECT_EQ(kumo::LibraryWindowProcedure(System().window, platform::WM_SYSCOMMAND, 0xF020, 0), 0);
}

}  // namespace
