// The routes that put a graphic's pixels on the current draw target: the software route draws
// straight into the target's memory image, the surface route draws through prepared surface
// views (kumo/render/surface_draw.h). Both run the same blitters.
#pragma once

#include "kumo/image/graph_handles.h"
#include "kumo/kumo.h"
#include "kumo/render/blits.h"

namespace kumo {

enum DrawShape {
  kDrawPut,        // top-left corner at (x1, y1)
  kDrawStretched,  // into (x1, y1, x2, y2); reversed corners mirror
  kDrawRotated,    // centred on (x1, y1), turned by `angle`, scaled by `scale`
  kDrawQuad,       // onto `corners`
};

struct DrawJob {
  DrawShape shape;
  int transparent;
  Rect bounds;  // every target pixel the draw may touch
  int x1, y1, x2, y2;
  float angle, scale;
  int mirror;
  BlitPoint corners[4];  // top-left, top-right, bottom-left, bottom-right
};

// The route the rendering mode asks for. -1 without a graphics system, or when a store cannot
// be reached.
int DrawOnRoute(const DrawJob& job, const GraphRecord& graph);

int DrawBySoftware(const DrawJob& job, const GraphRecord& graph);
int DrawBySurfaces(const DrawJob& job, const GraphRecord& graph);

}  // namespace kumo
