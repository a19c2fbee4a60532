// The display's colour format and the colour values of the current screen.
#include "kumo/render/screen_color.h"

#include "kumo/core/bodies.h"
#include "kumo/image/color_format.h"
#include "kumo/render/display.h"
#include "kumo/render/display_palette.h"
#include "kumo/render/display_state.h"

namespace kumo {

namespace {

int ClassOf(const ColorFormat& format) {
  const auto masks = [&](uint32_t red, uint32_t green, uint32_t blue) {
    return format.redMask == red && format.greenMask == green && format.blueMask == blue;
  };
  if (format.bitsPerPixel == 16 && masks(0xF800, 0x07E0, 0x001F)) return kClassR5G6B5;
  if (format.bitsPerPixel == 16 && masks(0x7C00, 0x03E0, 0x001F)) return kClassX1R5G5B5;
  if (format.bitsPerPixel == 32 && masks(0xFF0000, 0xFF00, 0xFF)) return kClassX8R8G8B8;
  return kClassOther;
}

bool PaletteScreen() { return TheDisplay().mode.colorDepth == 8; }

}  // namespace

void DescribeDisplayFormat(const platform::PixelFormat& layout) {
  DisplayState& display = TheDisplay();
  display.ddFormat = {sizeof(DDPIXELFORMAT), layout.flags,    0,
                      layout.bitsPerPixel,   layout.redMask,  layout.greenMask,
                      layout.blueMask,       layout.alphaMask};
  if ((layout.flags & platform::kPixelIndexed8) != 0) {
    // Indexes read through the palette, as 32-bit entries of blue, green and red.
    SetIndexed8(&display.format);
    const auto& colors = FixedPalette();
    for (int i = 0; i < 256; ++i) {
      display.format.palette[i][0] = colors[i].blue;
      display.format.palette[i][1] = colors[i].green;
      display.format.palette[i][2] = colors[i].red;
      display.format.palette[i][3] = 0;
    }
  } else {
    BuildColorFormatBody(&display.format, static_cast<int>(layout.bitsPerPixel), layout.redMask,
                         layout.greenMask, layout.blueMask, layout.alphaMask);
  }
  display.mode.colorDepth = static_cast<int>(layout.bitsPerPixel);
  display.colorClass = ClassOf(display.format);
}

void DescribeSoftwareFormat() {
  DisplayState& display = TheDisplay();
  if (display.mode.colorDepth != 16 && display.mode.colorDepth != 32) display.mode.colorDepth = 16;
  const int kind = ScreenImageKind();
  display.format = *GetMemImgFormat(kind, 0, 0);
  display.ddFormat = *GetMemImgDDFormat(kind, 0, 0);
  display.colorClass = kind == kKindColor16 ? kClassX1R5G5B5 : kClassX8R8G8B8;
}

int MakeColorBody(int red, int green, int blue) {
  if (PaletteScreen()) return NearestPaletteIndex(red, green, blue);
  return static_cast<int>(ColorToPixel(TheDisplay().format, red, green, blue, 255));
}

int GetColorRGB(uint32_t color, int* red, int* green, int* blue) {
  if (PaletteScreen()) {
    if (color > 255) return -1;
    const platform::PaletteColor& entry = FixedPalette()[color];
    *red = entry.red;
    *green = entry.green;
    *blue = entry.blue;
    return 0;
  }
  PixelToColor(TheDisplay().format, color, red, green, blue, nullptr);
  return 0;
}

uint32_t BackgroundColor() {
  const uint32_t rgb = TheDisplay().background;
  return static_cast<uint32_t>(MakeColorBody(static_cast<int>(rgb >> 16 & 0xFF),
                                             static_cast<int>(rgb >> 8 & 0xFF),
                                             static_cast<int>(rgb & 0xFF)));
}

uint32_t BackgroundPixel(const ColorFormat& format) {
  const uint32_t rgb = TheDisplay().background;
  return ColorToPixel(format, static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
                      static_cast<int>(rgb & 0xFF), 255);
}

const DDPIXELFORMAT* GetScreenPixelFormatBody() {
  const DisplayState& display = TheDisplay();
  return display.ddFormat.dwSize != 0 ? &display.ddFormat : nullptr;
}

}  // namespace kumo
