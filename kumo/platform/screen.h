// The display's memory in its current mode, and what a window shows of it: the one picture that
// the drawing surfaces' primary and the window bitmaps both draw into. Used only inside the
// platform layer, always with the display guard held.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "kumo/platform/display_modes.h"
#include "kumo/platform/window.h"

namespace kumo::platform {

struct Display;
struct DisplayService;

// The active backend's display.
const DisplayService& Displays();

struct Screen {
  DisplayMode mode{};  // width 0: no display
  PixelFormat format{};
  int pitch = 0;
  std::vector<uint8_t> pixels;
  uint32_t palette[256] = {};               // 0x00RRGGBB, for 8-bit modes
  Window* window = nullptr;                 // the window that shows the display, the last one named
  const Display* exclusiveOwner = nullptr;  // the display object that holds it whole, if any
  // Grows with every mode change and every loss of the surfaces: a surface made at an older
  // generation is lost.
  uint64_t generation = 1;
};

// Guards the screen and every drawing surface.
std::mutex& DisplayGuard();

// The screen, in the desktop's mode once a display is there; false while there is none.
bool ScreenReady();
Screen& TheScreen();

// Bytes from one row to the next for a width and depth.
int RowPitch(int width, int bitsPerPixel);

// The accepted mode that matches a request (refresh rate 0: the first of any); false for none.
bool FindDisplayMode(const DisplayMode& request, DisplayMode* found);

// The window that shows the screen, while it exists.
Window* ShowingWindow();

// Puts the display into a mode (none: the desktop's); the screen is cleared, every surface is
// lost and `window` is told of the change. False when the display refuses.
bool ChangeScreenMode(Window* window, const DisplayMode* mode);

// The part of the screen a window shows: all of it while held whole, else the client area.
Area ShownArea(Window* window);

// Shows the screen in its window. `vsync`: at the next vertical blank. `frame`: the window's
// whole picture was just replaced, which the headless backend counts as a presented frame.
void ShowScreen(bool vsync, bool frame);

// Whether an area of the screen covers everything the window shows.
bool CoversShownArea(const Area& area);

}  // namespace kumo::platform
