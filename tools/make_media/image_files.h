// Writing pictures: PNG through libpng, BMP by hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace media {

// Writes `bytes` to `path`, making its folders; exits the program on failure.
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// An 8-bit RGBA PNG, or an opaque 8-bit RGB one.
void WritePng(const std::string& path, const Canvas& canvas, bool alpha);

// An uncompressed 24-bit BMP (BITMAPINFOHEADER, rows bottom-up) on black, the colour the game
// takes as transparent: a pixel at least half covered keeps its colour (never quite black), the
// rest are black, so that no dark fringe shows around the picture.
void WriteBmp(const std::string& path, const Canvas& canvas);

}  // namespace media
