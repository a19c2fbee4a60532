// The display's colour format: describing it from the display mode's pixel layout (or the
// software screens' format), and colour values in it.
#pragma once

#include <cstdint>

#include "kumo/kumo.h"
#include "kumo/platform/display_modes.h"

namespace kumo {

// The display's colour format, class and pixel-format record from the display mode's layout;
// the colour depth becomes the layout's.
void DescribeDisplayFormat(const platform::PixelFormat& layout);
// The same from the software screens' format; a depth other than 16 or 32 becomes 16.
void DescribeSoftwareFormat();

// The background colour that clearing fills with: as a colour value of the screen, and as a
// raw pixel of an image's format.
uint32_t BackgroundColor();
uint32_t BackgroundPixel(const ColorFormat& format);

}  // namespace kumo
