// A library run in a fresh temporary directory (made current, so that "Log.txt" is written there)
// on the headless backend, shut down again after each test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kumo/core/system_record.h"
#include "kumo/kumo.h"
#include "kumo/platform/headless/script.h"
#include "kumo/platform/headless/virtual_clock.h"
#include "kumo/render/display_state.h"
#include "tests/common/log_lines.h"

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    char name[] = "/tmp/kumo_runtime_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    std::filesystem::current_path(dir_);
    std::string error;
    kumo::platform::headless::UseScript("", &error);
    // Each run starts where a millisecond and a 60 Hz display frame begin together on the
    // virtual clock (every 50 ms), so that what start-up measures does not depend on the runs
    // before.
    namespace headless = kumo::platform::headless;
    constexpr uint64_t kCommonStart = 50000000;
    headless::SetVirtualNanos((headless::VirtualNanos() / kCommonStart + 1) * kCommonStart);
  }

  void TearDown() override {
    if (kumo::System().initialised == 1) EndLibrary();
    kumo::System().settings.windowMode = 0;
    kumo::System().settings.windowStyleVisible = 0;
    kumo::TheDisplay() = {};
    std::filesystem::current_path(saved_);
    std::filesystem::remove_all(dir_);
  }

  // The log's lines without their time prefixes and line ends.
  std::vector<std::string> LogLines() const {
    return kumo::testing::LogLinesWithoutTime(kumo::testing::ReadFileBytes(dir_ / "Log.txt"));
  }

  std::filesystem::path dir_;
  std::filesystem::path saved_;
};
