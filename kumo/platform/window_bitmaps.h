// Bitmaps in a window: top-down bitmaps with red, green and blue bit fields drawn into the
// window's client area, at their size or stretched, and read back from it; filling part of the
// window; and changing the display mode from here, outside the drawing surfaces. The window
// shows the display's memory, so what is drawn here and what the primary surface holds are one.
#pragma once

#include <cstdint>

#include "kumo/platform/display_modes.h"
#include "kumo/platform/window.h"

namespace kumo::platform {

// A top-down bitmap: `height` rows of `pitch` bytes, pixels of 16 or 32 bits.
struct BitmapLayout {
  int width, height;
  int pitch;
  int bitsPerPixel;
  uint32_t redMask, greenMask, blueMask;
};

// Draws the bitmap at its size with its top-left corner at (x, y) of the client area. False
// without a display or for a layout that is not one of the above.
bool DrawBitmap(Window* window, int x, int y, const BitmapLayout& layout, const void* pixels);

// Draws the bitmap's `source` rectangle stretched onto the client area's `destination`
// rectangle (nearest pixel).
bool StretchBitmap(Window* window, const Area& destination, const BitmapLayout& layout,
                   const void* pixels, const Area& source);

// Reads the client area from its top-left corner into the bitmap, at the bitmap's size; what
// lies outside the display reads as black.
bool ReadWindowBitmap(Window* window, const BitmapLayout& layout, void* pixels);

// Fills a rectangle of the client area with a colour (0x00RRGGBB).
bool FillWindowRect(Window* window, const Area& rect, uint32_t rgb);

// Changes the display mode, or with `testOnly` only asks whether the display would accept it
// (refresh rate 0: any); every drawing surface is lost when the mode changes. False when the
// display refuses the mode.
bool ChangeDisplayModeFor(Window* window, const DisplayMode& mode, bool testOnly);
// Puts the display back into the desktop's mode.
void RestoreDesktopDisplayMode();

}  // namespace kumo::platform
