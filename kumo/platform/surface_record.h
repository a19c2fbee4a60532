// The records behind the drawing surfaces' objects, shared by the surface calls and the blits.
// Used only inside the platform layer, with the display guard held.
#pragma once

#include <cstdint>
#include <vector>

#include "kumo/platform/draw_surfaces.h"

namespace kumo::platform {

struct Display {
  Window* window = nullptr;
  bool exclusive = false;
  bool changedMode = false;  // it put the display into a mode other than the desktop's
};

struct Clipper {
  Window* window = nullptr;
};

struct Palette {
  PaletteColor colors[256];
};

struct Surface {
  SurfaceKind kind = SurfaceKind::OffScreen;
  bool onScreen = false;  // the primary: its memory is the screen's
  int width = 0, height = 0, pitch = 0;
  PixelFormat format{};
  std::vector<uint8_t> memory;  // every other surface's own
  uint64_t generation = 0;      // the screen's when the memory was made
  bool locked = false;
  bool hasKey = false;
  uint32_t key = 0;
  Clipper* clipper = nullptr;
  Palette* palette = nullptr;
  Surface* partner = nullptr;  // the other buffer of a flip chain
  bool released = false;       // a chain's buffer waits here for the other one
};

uint8_t* PixelsOf(Surface* surface);

// kDrawOk when the surface can be drawn on now: there, not lost, not locked.
DrawResult Usable(const Surface* surface);

// After pixels of the surface changed: a primary shows them; `frame` when this replaced the
// area, which then may be the window's whole picture.
void SurfaceChanged(const Surface* surface, const Area& area, bool frame);

}  // namespace kumo::platform
