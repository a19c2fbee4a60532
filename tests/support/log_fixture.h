// A started log in a fresh temporary directory, made current for one test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "kumo/platform/headless/virtual_clock.h"
#include "kumo/support/log.h"
#include "tests/common/log_lines.h"

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    char name[] = "/tmp/kumo_log_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    std::filesystem::current_path(dir_);
    // Start on a millisecond boundary: each clock read moves the virtual clock by only a
    // microsecond, so texts written without a sleep show the time 0.
    namespace headless = kumo::platform::headless;
    constexpr uint64_t kNanosPerMilli = 1000000;
    headless::SetVirtualNanos((headless::VirtualNanos() / kNanosPerMilli + 1) * kNanosPerMilli);
    ASSERT_EQ(kumo::LogSetDirectory(dir_.c_str()), 0);
    ASSERT_EQ(kumo::LogStart(), 1);
  }

  void TearDown() override {
    // LogStart is what resets the tab level and an open line.
    kumo::LogStart();
    kumo::LogSetDirectory("");
    std::filesystem::current_path(saved_);
    std::filesystem::remove_all(dir_);
  }

  std::filesystem::path LogPath() const { return dir_ / "Log.txt"; }

  // The log file's bytes; empty when it does not exist.
  std::string LogText() const { return kumo::testing::ReadFileBytes(LogPath()); }

  std::filesystem::path dir_;
  std::filesystem::path saved_;
};
