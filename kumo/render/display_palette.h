// The fixed 256 colours of 8-bit screens, and finding the entry nearest a colour.
#pragma once

#include <array>
#include <cstdint>

#include "kumo/platform/draw_surfaces.h"

namespace kumo {

// Roughly in rising order of brightness: entry 0 black, entry 255 white.
const std::array<platform::PaletteColor, 256>& FixedPalette();

// The entry with the smallest squared distance to the colour; the lower index wins ties.
int NearestPaletteIndex(int red, int green, int blue);

}  // namespace kumo
