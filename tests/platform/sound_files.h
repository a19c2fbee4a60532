// Sound files for the sound services' tests: a temporary directory where sox and lame make
// reference data, and WAV files read back to their format chunk and samples.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kumo::platform {

struct WavFile {
  std::vector<uint8_t> format;  // the format chunk
  std::vector<uint8_t> data;    // the data chunk
  uint32_t riffSize = 0;        // as the header says
};

inline uint32_t Le32At(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The format and data chunks of a RIFF WAVE file; false when it is not one, or a chunk runs past
// the end.
inline bool ReadWav(const std::string& path, WavFile* wav) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
      std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE") {
    return false;
  }
  wav->riffSize = Le32At(bytes, 4);
  bool format = false, data = false;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string id(bytes.begin() + at, bytes.begin() + at + 4);
    const size_t size = Le32At(bytes, at + 4);
    if (size > bytes.size() - at - 8) return false;
    const auto begin = bytes.begin() + at + 8;
    if (id == "fmt ") {
      wav->format.assign(begin, begin + size);
      format = true;
    } else if (id == "data") {
      wav->data.assign(begin, begin + size);
      data = true;
    }
    at += 8 + size + (size & 1);
  }
  return format && data;
}

// 16-bit little-endian samples.
inline std::vector<int16_t> Samples16(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
  return samples;
}

class SoundFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/kumo_sounds_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }

  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Runs a command line (sox or lame) in the directory.
  void Run(const std::string& command) const {
    const std::string line = "cd '" + dir_.string() + "' && " + command + " 2>tool.err";
    if (std::system(line.c_str()) == 0) return;
    const std::vector<uint8_t> error = ReadBytes(Path("tool.err"));
    FAIL() << line << "\n" << std::string(error.begin(), error.end());
  }

  std::filesystem::path dir_;
};

}  // namespace kumo::platform
