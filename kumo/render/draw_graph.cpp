// The drawing operations that put a graphic on the draw target: each works out where its draw
// lands, then all share the same frame around the route that does the drawing.
#include "kumo/render/draw_graph.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "kumo/core/bodies.h"
#include "kumo/core/window.h"
#include "kumo/image/graph_handles.h"
#include "kumo/render/display.h"
#include "kumo/render/draw_routes.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/draw_target.h"
#include "kumo/render/mask_screen.h"

namespace kumo {

namespace {

// Far beyond any target, yet far from overflowing when sizes are added.
constexpr double kPixelLimit = 1 << 30;

// The nearest pixel position, pinned to a range where the arithmetic that follows is safe.
int ToPixel(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::lround(std::clamp(value, -kPixelLimit, kPixelLimit)));
}

bool DrawingSkipped() { return GraphicsSettings().suspended != 0 || gDrawState.drawAreaEmpty != 0; }

// The graphic to draw, provided the blend graph in force (if any) exists and covers it.
const GraphRecord* DrawableGraph(int handle) {
  const GraphRecord* graph = GetGraphRecord(handle);
  if (graph == nullptr) return nullptr;
  if (gDrawState.blendGraph != -1) {
    const GraphRecord* blend = GetGraphRecord(gDrawState.blendGraph);
    if (blend == nullptr || blend->width < graph->width || blend->height < graph->height) {
      return nullptr;
    }
  }
  return graph;
}

// The frame around every route: the pause while the window is inactive, then the mask screen
// and the software front buffer kept in step with the drawn rectangle.
int RunDraw(int handle, const DrawJob& job) {
  WaitWhileInactive();
  // The pause may have restored or released graphics, so the handle is checked again.
  const GraphRecord* graph = DrawableGraph(handle);
  if (graph == nullptr) return -1;
  const bool masked = MaskScreenInUse() != 0;
  const bool softwareFront = IsSoftwareRender() != 0 && CurrentDrawTarget().target == kFrontBuffer;
  if (masked) MaskBeforeDraw(job.bounds);
  if (softwareFront) ReadFrontToMemImg();
  const int result = DrawOnRoute(job, *graph);
  if (masked) MaskAfterDraw(job.bounds);
  if (softwareFront) UpdateFrontRect(job.bounds);
  return result;
}

}  // namespace

int PutGraphBody(int x, int y, int handle, int transparent) {
  if (DrawingSkipped()) return 0;
  const GraphRecord* graph = DrawableGraph(handle);
  if (graph == nullptr) return -1;
  DrawJob job{};
  job.shape = kDrawPut;
  job.transparent = transparent;
  job.x1 = x;
  job.y1 = y;
  job.bounds = {x, y, x + graph->width, y + graph->height};
  return RunDraw(handle, job);
}

int PutGraphStretched(int x1, int y1, int x2, int y2, int handle, int transparent) {
  if (DrawingSkipped()) return 0;
  if (DrawableGraph(handle) == nullptr) return -1;
  DrawJob job{};
  job.shape = kDrawStretched;
  job.transparent = transparent;
  job.x1 = x1;
  job.y1 = y1;
  job.x2 = x2;
  job.y2 = y2;
  job.bounds = {x1, y1, x2, y2};
  NormalizeRect(&job.bounds);
  return RunDraw(handle, job);
}

int PutGraphRotated(float x, float y, double scale, double angle, int handle, int transparent,
                    int mirror) {
  if (DrawingSkipped()) return 0;
  const GraphRecord* graph = DrawableGraph(handle);
  if (graph == nullptr) return -1;
  DrawJob job{};
  job.shape = kDrawRotated;
  job.transparent = transparent;
  job.x1 = ToPixel(x);
  job.y1 = ToPixel(y);
  job.angle = static_cast<float>(angle);
  job.scale = static_cast<float>(scale);
  job.mirror = mirror;
  // The box around the four turned corners, with room for the rounding of the edges.
  const double halfWidth = graph->width / 2.0 * scale;
  const double halfHeight = graph->height / 2.0 * scale;
  const double c = std::cos(angle), s = std::sin(angle);
  const double extentX = std::abs(halfWidth * c) + std::abs(halfHeight * s);
  const double extentY = std::abs(halfWidth * s) + std::abs(halfHeight * c);
  job.bounds = {ToPixel(std::floor(job.x1 - extentX)) - 5,
                ToPixel(std::floor(job.y1 - extentY)) - 5, ToPixel(std::ceil(job.x1 + extentX)) + 5,
                ToPixel(std::ceil(job.y1 + extentY)) + 5};
  return RunDraw(handle, job);
}

int PutGraphCorners(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                    int handle, int transparent) {
  if (DrawingSkipped()) return 0;
  if (DrawableGraph(handle) == nullptr) return -1;
  DrawJob job{};
  job.shape = kDrawQuad;
  job.transparent = transparent;
  // The blitter takes the corners row by row: top-left, top-right, bottom-left, bottom-right.
  job.corners[0] = {ToPixel(x1), ToPixel(y1)};
  job.corners[1] = {ToPixel(x2), ToPixel(y2)};
  job.corners[2] = {ToPixel(x4), ToPixel(y4)};
  job.corners[3] = {ToPixel(x3), ToPixel(y3)};
  job.bounds = {job.corners[0].x, job.corners[0].y, job.corners[0].x, job.corners[0].y};
  for (const BlitPoint& p : job.corners) {
    job.bounds.left = std::min(job.bounds.left, p.x);
    job.bounds.top = std::min(job.bounds.top, p.y);
    job.bounds.right = std::max(job.bounds.right, p.x);
    job.bounds.bottom = std::max(job.bounds.bottom, p.y);
  }
  // Right and bottom are exclusive; pixels on the far edges still count.
  ++job.bounds.right;
  ++job.bounds.bottom;
  return RunDraw(handle, job);
}

int PutGraphMirrored(int x, int y, int handle, int transparent) {
  if (DrawingSkipped()) return 0;
  const GraphRecord* graph = GetGraphRecord(handle);
  if (graph == nullptr) return -1;
  return PutGraphStretched(x + graph->width, y, x, y + graph->height, handle, transparent);
}

int PutGraphRect(int x, int y, int sx, int sy, int w, int h, int handle, int transparent,
                 int mirror) {
  if (DrawingSkipped()) return 0;
  const GraphRecord* graph = GetGraphRecord(handle);
  if (graph == nullptr) return -1;
  const int graphWidth = graph->width;
  const SavedDrawArea saved = SaveDrawArea();
  Rect area = {x, y, x + w, y + h};
  ClipRectBody(&area, &saved.area);
  SetDrawArea(area);
  const int result = mirror ? PutGraphMirrored(x + sx + w - graphWidth, y - sy, handle, transparent)
                            : PutGraphBody(x - sx, y - sy, handle, transparent);
  RestoreDrawArea(saved);
  return result;
}

int PutGraphRectStretched(int x1, int y1, int x2, int y2, int sx, int sy, int sw, int sh,
                          int handle, int transparent) {
  if (DrawingSkipped()) return 0;
  const GraphRecord* graph = GetGraphRecord(handle);
  if (graph == nullptr || sw <= 0 || sh <= 0) return -1;
  const bool mirrorX = x2 < x1;
  const bool mirrorY = y2 < y1;
  if (mirrorX) std::swap(x1, x2);
  if (mirrorY) std::swap(y1, y2);
  // The whole graphic, scaled so that the source rectangle covers the destination; mirrored, the
  // part right of (below) the source rectangle comes first.
  const double scaleX = static_cast<double>(x2 - x1) / sw;
  const double scaleY = static_cast<double>(y2 - y1) / sh;
  const int before = mirrorX ? graph->width - sx - sw : sx;
  const int above = mirrorY ? graph->height - sy - sh : sy;
  const int left = ToPixel(x1 - before * scaleX);
  const int top = ToPixel(y1 - above * scaleY);
  const int right = ToPixel(x1 + (graph->width - before) * scaleX);
  const int bottom = ToPixel(y1 + (graph->height - above) * scaleY);

  const SavedDrawArea saved = SaveDrawArea();
  Rect area = {x1, y1, x2, y2};
  ClipRectBody(&area, &saved.area);
  SetDrawArea(area);
  const int result =
      PutGraphStretched(mirrorX ? right : left, mirrorY ? bottom : top, mirrorX ? left : right,
                        mirrorY ? top : bottom, handle, transparent);
  RestoreDrawArea(saved);
  return result;
}

int PutGraphRotatedBody(int x, int y, double scale, double angle, int handle, int transparent,
                        int mirror) {
  return PutGraphRotated(static_cast<float>(x), static_cast<float>(y), scale, angle, handle,
                         transparent, mirror);
}

}  // namespace kumo
