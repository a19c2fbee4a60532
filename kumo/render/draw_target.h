// The current draw target: which screen or graphic drawing goes to, and the stores behind it.
// SetDrawTargetBody (kumo/core/bodies.h) selects it.
#pragma once

#include "kumo/kumo.h"
#include "kumo/render/mem_img.h"

namespace kumo {

namespace platform {
struct Surface;
}

constexpr int kFrontBuffer = -4;
constexpr int kBackBuffer = -2;

struct DrawTarget {
  int target;                      // kFrontBuffer, kBackBuffer or a graphics handle
  platform::Surface* surface;      // the device surface drawn into; none for a memory image
  MEMIMG* image;                   // the memory image drawn into; none when the target has none
  MEMIMG* depthImage;              // the target's depth image, if any
  int offsetX, offsetY;            // the target's place in its store (a piece of a larger one)
  int width, height;               // the target's size
  int frontOffsetX, frontOffsetY;  // added to drawing positions on a windowed device front buffer
  MEMIMG pieceView;                // `image` for a graphic that is part of a larger store
};

// The current target. A graphic's stores are looked up again, so a target graphic that has been
// deleted since it was selected has no image.
const DrawTarget& CurrentDrawTarget();

// Selects the back buffer without the checks of SetDrawTargetBody (graphics initialisation).
void ResetDrawTarget();

// After the window moved: the front buffer's offset follows the client area, and the draw area
// is asked for again.
void FollowClientArea();

// The rectangle the draw area may cover on the current target; false for a target graphic that
// no longer exists.
bool DrawTargetLimits(Rect* limits);

}  // namespace kumo
