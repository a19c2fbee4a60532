// Drawing through surfaces: before a draw, the target and the source are made into memory-image
// views over the rectangle the draw covers, the blitters run on the views, and afterwards the
// surfaces are given back.
//
// A target held in a memory image is viewed directly. A device surface is locked over the
// rectangle and viewed in the screen's format; a screen whose layout the blitters do not draw
// has the rectangle copied into a work surface and converted to the library's format first,
// and converted and copied back afterwards. Sources are always memory images.
#pragma once

#include "kumo/image/graph_handles.h"
#include "kumo/kumo.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/mem_img.h"

namespace kumo {

namespace platform {
struct Surface;
}

struct SurfaceDraw {
  MEMIMG target;              // the target over the rectangle
  const MEMIMG* source;       // the source graphic's pixels
  int originX, originY;       // where the target view's top-left corner lies on the target
  SavedDrawArea savedArea;    // the draw area in force before, given back by EndSurfaceDraw
  MEMIMG sourceView;          // `source` when the graphic is part of a larger store
  platform::Surface* locked;  // the surface locked for the draw; none for a memory image
  platform::Surface* copied;  // the target surface when the rectangle went through a work one
  Rect surfaceRect;           // the rectangle on the target surface
  uint8_t* lockedPixels;      // where the locked rectangle starts, and its pitch, when the
  int lockedPitch;            // target view holds converted pixels of its own
};

// Prepares a draw of `graph` into `rect` of the current target (target coordinates, already
// clipped to the draw area and not empty). Until EndSurfaceDraw the draw area is the whole
// target view, and positions on the view are target positions minus the origin. 0, or -1 when
// the target or the source has nothing to draw with or a surface cannot be locked (nothing is
// then to be given back).
int BeginSurfaceDraw(const Rect& rect, const GraphRecord& graph, SurfaceDraw* draw);
void EndSurfaceDraw(SurfaceDraw* draw);

}  // namespace kumo
