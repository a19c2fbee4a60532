// Reading a "Log.txt" in tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kumo::testing {

// A file's bytes; empty when it does not exist.
inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The lines of a log's text without their time prefixes ("1523:") and CR LF ends.
inline std::vector<std::string> LogLinesWithoutTime(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    const size_t colon = line.find(':');
    if (colon != std::string::npos && line.find_first_not_of("0123456789") == colon) {
      line = line.substr(colon + 1);
    }
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

}  // namespace kumo::testing
