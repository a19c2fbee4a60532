// Input on the headless backend: a started log in a temporary directory, an active window's
// state without a window, the script's keyboard and no pads until a test attaches some.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "kumo/core/input.h"
#include "kumo/core/system_record.h"
#include "kumo/platform/headless/headless_input.h"
#include "kumo/platform/headless/script.h"
#include "kumo/platform/headless/virtual_clock.h"
#include "kumo/platform/threads.h"
#include "tests/common/log_lines.h"
#include "tests/support/log_fixture.h"

namespace kumo::testing {

namespace headless = platform::headless;

class InputTest : public LogFileTest {
 protected:
  void SetUp() override {
    LogFileTest::SetUp();
    unsetenv("KUMO_INPUT_FALLBACK");
    System().active = 1;  // so that the queries do not wait for a window
    System().closePosted = 0;
    System().mainThreadId = platform::CurrentThreadId();
    std::string error;
    ASSERT_TRUE(headless::UseScript("", &error)) << error;
    headless::SetHeadlessPads({});
    headless::SetHeadlessInputFaults({});
  }

  void TearDown() override {
    InputTerm();
    Input().fallback = 0;
    unsetenv("KUMO_INPUT_FALLBACK");
    headless::SetHeadlessInputFaults({});
    headless::SetHeadlessPads({});
    System().active = 0;
    System().closePosted = 0;
    System().mainThreadId = 0;
    LogFileTest::TearDown();
  }

  // Plays the script's frames up to `frame`, as presentation would, and lets the input devices
  // see the change, as the message pump would.
  static void UseScript(const std::string& text) {
    std::string error;
    ASSERT_TRUE(headless::UseScript(text, &error)) << error;
  }
  static void PlayFrame() {
    headless::FramePresented();
    headless::PumpHeadlessInput();
  }

  // The virtual clock moved to the start of the next millisecond, so that the devices are read
  // again.
  static void NextMillisecond() {
    constexpr uint64_t kNanosPerMilli = 1000000;
    headless::SetVirtualNanos((headless::VirtualNanos() / kNanosPerMilli + 1) * kNanosPerMilli);
  }

  std::vector<std::string> LogLines() const { return LogLinesWithoutTime(LogText()); }

  // A pad with every axis centred, no button held and no point of view.
  static headless::HeadlessPad Pad(const std::string& name, bool forceFeedback = true) {
    headless::HeadlessPad pad;
    pad.instanceName = name;
    pad.productName = name + " product";
    pad.forceFeedback = forceFeedback;
    return pad;
  }
};

}  // namespace kumo::testing
