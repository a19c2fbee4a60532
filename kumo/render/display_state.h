// The display's one record: the screen mode, the rendering mode, the display's colour format, the
// screen objects and what presenting keeps between frames. Kept by display start-up and the
// screen-mode change, read by presentation and drawing.
#pragma once

#include <cstdint>

#include "kumo/kumo.h"
#include "kumo/render/mem_img.h"

namespace kumo {

namespace platform {
struct Display;
struct Surface;
struct Clipper;
struct Palette;
}  // namespace platform

// The size, depth and refresh rate of a screen mode. A size of 0 is unset and reads as 640 x 480;
// a refresh rate of 0 takes any.
struct ScreenModeValues {
  int width, height;
  int colorDepth;
  int refreshRate;
};

inline bool operator==(const ScreenModeValues& a, const ScreenModeValues& b) {
  return a.width == b.width && a.height == b.height && a.colorDepth == b.colorDepth &&
         a.refreshRate == b.refreshRate;
}

// How the display's pixels are laid out.
enum DisplayColorClass {
  kClassR5G6B5 = 0,
  kClassX1R5G5B5 = 1,
  kClassX8R8G8B8 = 2,
  kClassOther = 3,  // a layout the blitters do not draw: palette indexes, or other masks
};

struct DisplayState {
  ScreenModeValues mode = {0, 0, 16, 0};
  // Software rendering: the screens are memory images shown through window bitmaps and no
  // device surface is made. Once on it stays on.
  int software = 0;
  int waitVSync = 0;           // presenting waits for the vertical blank
  int displayModeChanged = 0;  // the display is in a mode other than the desktop's
  int exclusive = 0;           // the display object holds the display whole (full screen)
  int ready = 0;               // the display is up: the first screen mode has been set
  int modeChangedOnce = 0;     // lastModeChange holds the tick of the last mode change
  uint32_t lastModeChange = 0;

  // Measured at each mode change; -1 when not available.
  int refreshRate = -1;
  int frameTime = -1;     // ms per display frame
  int vblankMargin = -1;  // presenting sleeps until this many ms after the last blank

  ColorFormat format{};  // the display's pixels (software mode: the screens' format)
  int colorClass = kClassR5G6B5;
  DDPIXELFORMAT ddFormat{};  // the same for GetScreenPixelFormat; dwSize 0 until analysed

  platform::Display* display = nullptr;
  platform::Surface* primary = nullptr;
  platform::Surface* back = nullptr;
  platform::Surface* depth = nullptr;
  // Copies of screen rectangles for drawing through: the target's, and a source's (sources are
  // all memory images here, so the second stays unused).
  platform::Surface* work1 = nullptr;
  platform::Surface* work2 = nullptr;
  platform::Clipper* clipper = nullptr;
  platform::Palette* palette = nullptr;
  MEMIMG primaryImage{};  // software mode
  MEMIMG backImage{};
  MEMIMG depthImage{};

  uint64_t frameCount = 0;
  int frontStale = 0;  // software mode: the window shows a present the front image lacks
  uint32_t lastVBlank = 0;
  uint32_t background = 0;  // 0x00RRGGBB that clearing fills with
};

DisplayState& TheDisplay();

// The kind of memory image the screens and new graphics use at the current depth.
int ScreenImageKind();

}  // namespace kumo
