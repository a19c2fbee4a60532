// Preparing target and source of a surface draw as memory-image views.
#include "kumo/render/surface_draw.h"

#include "kumo/core/bodies.h"
#include "kumo/render/draw_target.h"
#include "kumo/render/surface_image.h"

namespace kumo {

int BeginSurfaceDraw(const Rect& area, const GraphRecord& graph, SurfaceDraw* draw) {
  const MEMIMG* target = CurrentDrawTarget().image;
  draw->source = PieceMemImg(graph, &draw->sourceView);
  if (target == nullptr || draw->source == nullptr) return -1;
  // The view must stay inside the target's pixels whatever the draw area says.
  Rect rect = area;
  const Rect bounds = {0, 0, target->width, target->height};
  ClipRectBody(&rect, &bounds);
  if (rect.left >= rect.right || rect.top >= rect.bottom) return -1;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  MakeMemImgView(&draw->target, *target, rect.left, rect.top, width, height);
  draw->originX = rect.left;
  draw->originY = rect.top;
  draw->savedArea = SaveDrawArea();
  SetDrawArea({0, 0, width, height});
  return 0;
}

void EndSurfaceDraw(SurfaceDraw* draw) { RestoreDrawArea(draw->savedArea); }

}  // namespace kumo
