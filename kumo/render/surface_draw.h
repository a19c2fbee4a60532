// Drawing through surfaces: before a draw, the target and the source are made into memory-image
// views over the rectangle the draw covers, the blitters run on the views, and afterwards the
// surfaces are given back.
//
// Every store on this system is a memory image, so preparing only makes the views and giving
// back only restores the draw area. A display with device surfaces locks them here instead (or
// copies them through a work surface and converts their pixels first) and unlocks them, copying
// back, in EndSurfaceDraw.
#pragma once

#include "kumo/image/graph_handles.h"
#include "kumo/kumo.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/mem_img.h"

namespace kumo {

struct SurfaceDraw {
  MEMIMG target;            // the target over the rectangle
  const MEMIMG* source;     // the source graphic's pixels
  int originX, originY;     // where the target view's top-left corner lies on the target
  SavedDrawArea savedArea;  // the draw area in force before, given back by EndSurfaceDraw
  MEMIMG sourceView;        // `source` when the graphic is part of a larger store
};

// Prepares a draw of `graph` into `rect` of the current target (target coordinates, already
// clipped to the draw area and not empty). Until EndSurfaceDraw the draw area is the whole
// target view, and positions on the view are target positions minus the origin. 0, or -1 when
// the target or the source has nothing to draw with (nothing is then to be given back).
int BeginSurfaceDraw(const Rect& rect, const GraphRecord& graph, SurfaceDraw* draw);
void EndSurfaceDraw(SurfaceDraw* draw);

}  // namespace kumo
