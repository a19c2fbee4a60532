// Reading the committed media files byte by byte, as the library's decoders will.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace media_test {

using Bytes = std::vector<uint8_t>;

// The file under the repository's media folder; empty when it is missing.
inline Bytes ReadMedia(const std::string& name) {
  std::ifstream file(std::string(KUMO_SOURCE_DIR) + "/media/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), {});
}

inline uint32_t Le16(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8; }
inline uint32_t Le32(const Bytes& b, size_t at) { return Le16(b, at) | Le16(b, at + 2) << 16; }
inline uint32_t Be32(const Bytes& b, size_t at) {
  return uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

inline std::string Tag(const Bytes& b, size_t at) {
  return std::string(b.begin() + at, b.begin() + at + 4);
}

}  // namespace media_test
