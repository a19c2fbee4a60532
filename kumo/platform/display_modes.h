// The display's modes: the ones it accepts, the desktop's and the one it is in, and the layout of
// its pixels at each depth. The drawing surfaces and the window bitmaps share them.
#pragma once

#include <cstdint>
#include <vector>

namespace kumo::platform {

// A display mode. In a request, a refresh rate of 0 takes any the display offers.
struct DisplayMode {
  int width, height;
  int bitsPerPixel;
  int refreshRate;  // Hz
};

inline bool operator==(const DisplayMode& a, const DisplayMode& b) {
  return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
         a.refreshRate == b.refreshRate;
}
inline bool operator!=(const DisplayMode& a, const DisplayMode& b) { return !(a == b); }

// Pixel-format flags, with the values of the display's pixel-format record.
constexpr uint32_t kPixelAlpha = 0x01;     // alphaMask holds an alpha channel
constexpr uint32_t kPixelIndexed8 = 0x20;  // 8-bit indices into a palette
constexpr uint32_t kPixelRgb = 0x40;       // red, green and blue masks
constexpr uint32_t kPixelDepth = 0x400;    // a depth buffer: depthMask holds the depth bits

struct PixelFormat {
  uint32_t flags;
  uint32_t bitsPerPixel;
  uint32_t redMask, greenMask, blueMask, alphaMask;
  uint32_t depthMask;
};

// Every mode the display accepts, each with its refresh rate; empty without a display.
std::vector<DisplayMode> ListDisplayModes();

// The mode of the desktop, and the one the display is in now; all 0 without a display.
DisplayMode DesktopDisplayMode();
DisplayMode CurrentDisplayMode();

// The display's pixel layout at a depth: 8 bits indexed, 16 bits R5 G6 B5, 24 and 32 bits
// R8 G8 B8 (the top byte of 32 unused).
PixelFormat DisplayPixelFormat(int bitsPerPixel);

}  // namespace kumo::platform
