// A fresh temporary directory, made current for one test, with a helper to write files in it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "kumo/support/file_access.h"

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    char name[] = "/tmp/kumo_files_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    std::filesystem::current_path(dir_);
    kumo::FileAccessStart();
  }

  void TearDown() override {
    std::filesystem::current_path(saved_);
    std::filesystem::remove_all(dir_);
  }

  // Writes `bytes` to `name` (relative to the directory, "/" separated), making its folders.
  void WriteFile(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = dir_ / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

  std::filesystem::path dir_;
  std::filesystem::path saved_;
};
