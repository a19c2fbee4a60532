// A 5 x 7 pixel font for every text in the pictures, so that no font file is needed.
#pragma once

#include <string>

#include "canvas.h"

namespace media {

// Arrow glyphs, written inside texts as these bytes.
constexpr char kArrowLeft = '\x01';
constexpr char kArrowRight = '\x02';
constexpr char kArrowUp = '\x03';
constexpr char kArrowDown = '\x04';

// Width in pixels of `text` drawn with each font pixel `scale` pixels wide.
int TextWidth(const std::string& text, int scale);
constexpr int TextHeight(int scale) { return 7 * scale; }

// Adds the glyphs of `text` to `mask`, top-left corner at (x, y).
void AddText(Mask& mask, int x, int y, int scale, const std::string& text);

}  // namespace media
