// The software and surface routes of the drawing operations.
#include "kumo/render/draw_routes.h"

#include "kumo/core/bodies.h"
#include "kumo/render/display.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/draw_target.h"
#include "kumo/render/mask_screen.h"
#include "kumo/render/surface_draw.h"
#include "kumo/render/surface_image.h"

namespace kumo {

namespace {

// The blend graph's pixels, or none when no blend graph is selected.
const MEMIMG* BlendGraphImage(MEMIMG* view) {
  if (gDrawState.blendGraph == -1) return nullptr;
  const GraphRecord* graph = GetGraphRecord(gDrawState.blendGraph);
  return graph != nullptr ? PieceMemImg(*graph, view) : nullptr;
}

// Runs the job's blitter with every target position moved by (-dx, -dy).
void Blit(const DrawJob& job, MEMIMG* dest, const MEMIMG& src, int dx, int dy,
          const MEMIMG* blendGraph) {
  switch (job.shape) {
    case kDrawPut:
      PutMemImg(dest, src, job.x1 - dx, job.y1 - dy, job.transparent, blendGraph);
      return;
    case kDrawStretched:
      PutMemImgStretched(dest, src, job.x1 - dx, job.y1 - dy, job.x2 - dx, job.y2 - dy,
                         job.transparent, blendGraph);
      return;
    case kDrawRotated:
      PutMemImgRotated(dest, src, job.x1 - dx, job.y1 - dy, job.angle, job.scale, job.transparent,
                       job.mirror, blendGraph);
      return;
    case kDrawQuad: {
      BlitPoint p[4];
      for (int i = 0; i < 4; ++i) p[i] = {job.corners[i].x - dx, job.corners[i].y - dy};
      PutMemImgQuad(dest, src, p[0], p[1], p[2], p[3], job.transparent, blendGraph);
      return;
    }
  }
}

}  // namespace

int DrawOnRoute(const DrawJob& job, const GraphRecord& graph) {
  if (IsGraphicsReady() == 0) return -1;
  return IsSoftwareRender() ? DrawBySoftware(job, graph) : DrawBySurfaces(job, graph);
}

int DrawBySoftware(const DrawJob& job, const GraphRecord& graph) {
  MEMIMG sourceView;
  const MEMIMG* source = PieceMemImg(graph, &sourceView);
  if (source == nullptr) return -1;
  MEMIMG* target = MaskScreenInUse() ? MaskWorkImage() : CurrentDrawTarget().image;
  if (target == nullptr) return -1;
  MEMIMG graphView;
  Blit(job, target, *source, 0, 0, BlendGraphImage(&graphView));
  return 0;
}

int DrawBySurfaces(const DrawJob& job, const GraphRecord& graph) {
  // A stretch to the graphic's own size, not mirrored, is a plain put.
  if (job.shape == kDrawStretched && job.x2 - job.x1 == graph.width &&
      job.y2 - job.y1 == graph.height) {
    DrawJob put = job;
    put.shape = kDrawPut;
    return DrawBySurfaces(put, graph);
  }
  Rect rect = job.bounds;
  ClipRectBody(&rect, &gDrawState.drawArea);
  if (rect.left >= rect.right || rect.top >= rect.bottom) return 0;
  SurfaceDraw draw;
  if (BeginSurfaceDraw(rect, graph, &draw) != 0) return -1;
  MEMIMG graphView;
  Blit(job, &draw.target, *draw.source, draw.originX, draw.originY, BlendGraphImage(&graphView));
  EndSurfaceDraw(&draw);
  return 0;
}

}  // namespace kumo
