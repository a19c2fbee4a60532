// Writes 8-bit RGBA rows as a PNG file.
#pragma once

#include <cstdint>

namespace kumo_tool {

// `rgba` holds width x height pixels, top line first. False when the file cannot be written (a
// partly written file is removed).
bool WriteRgbaPng(const char* path, const uint8_t* rgba, int width, int height);

}  // namespace kumo_tool
