// The headless display keeps the last picture a window showed, for the script's shots and for
// tests to look at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kumo::platform::headless {

struct HeadlessPicture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows from the top
};

// Empty until a window first shows something.
const HeadlessPicture& PresentedPicture();

// Writes the picture as a 24-bit RGB PNG; false when the file cannot be written.
bool WritePicturePng(const std::string& path, const HeadlessPicture& picture);

}  // namespace kumo::platform::headless
