// The fixed palette: every colour of three bits of red and green and two of blue, ordered by
// brightness.
#include "kumo/render/display_palette.h"

#include <algorithm>

namespace kumo {

namespace {

std::array<platform::PaletteColor, 256> BuildPalette() {
  std::array<platform::PaletteColor, 256> colors{};
  for (int i = 0; i < 256; ++i) {
    colors[i] = {static_cast<uint8_t>((i >> 5) * 255 / 7),
                 static_cast<uint8_t>((i >> 2 & 7) * 255 / 7),
                 static_cast<uint8_t>((i & 3) * 255 / 3)};
  }
  // Weights of the eye's sensitivity; ties keep the cube's order.
  std::stable_sort(colors.begin(), colors.end(),
                   [](const platform::PaletteColor& a, const platform::PaletteColor& b) {
                     return 299 * a.red + 587 * a.green + 114 * a.blue <
                            299 * b.red + 587 * b.green + 114 * b.blue;
                   });
  return colors;
}

}  // namespace

const std::array<platform::PaletteColor, 256>& FixedPalette() {
  static const std::array<platform::PaletteColor, 256> colors = BuildPalette();
  return colors;
}

int NearestPaletteIndex(int red, int green, int blue) {
  const auto& colors = FixedPalette();
  int best = 0;
  int bestDistance = 0;
  for (int i = 0; i < 256; ++i) {
    const int dr = colors[i].red - red, dg = colors[i].green - green, db = colors[i].blue - blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (i == 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace kumo
