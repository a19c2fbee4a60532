// Selecting the draw target and finding the stores behind it.
#include "kumo/render/draw_target.h"

#include <algorithm>

#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/core/window.h"
#include "kumo/image/graph_handles.h"
#include "kumo/platform/draw_surfaces.h"
#include "kumo/platform/window.h"
#include "kumo/render/display.h"
#include "kumo/render/display_state.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/mask_screen.h"
#include "kumo/render/surface_image.h"

namespace kumo {

namespace {

DrawTarget& Target() {
  static DrawTarget target = {kBackBuffer, nullptr, nullptr, nullptr, 0, 0, 640, 480, 0, 0, {}};
  return target;
}

bool IsScreen(int target) { return target == kFrontBuffer || target == kBackBuffer; }

// Points the record at the stores of its target value: the screen's surface (hardware mode) or
// image (software mode), or the graphic's memory image.
void SelectStores(DrawTarget* target) {
  target->surface = nullptr;
  target->image = nullptr;
  target->depthImage = nullptr;
  target->offsetX = 0;
  target->offsetY = 0;
  if (IsScreen(target->target)) {
    DisplayState& display = TheDisplay();
    const bool front = target->target == kFrontBuffer;
    target->surface = front ? display.primary : display.back;
    target->image = ScreenImage(target->target);
    if (!front && display.depthImage.magic == kMemImgMagic)
      target->depthImage = &display.depthImage;
    return;
  }
  const GraphRecord* graph = GetGraphRecord(target->target);
  if (graph == nullptr) return;
  // A graphic that is a cell of a larger store is drawn into through a view of its own
  // rectangle, so that drawing stays inside the cell.
  target->image = PieceMemImg(*graph, &target->pieceView);
  if (target->image == nullptr) return;
  const Piece2D* piece = GetPiece2D(graph->pieces[0]);
  SurfaceData* surface = GetSurfaceData(piece->surfaceData);
  target->offsetX = piece->surfaceX;
  target->offsetY = piece->surfaceY;
  if (surface->depthImage.magic == kMemImgMagic) target->depthImage = &surface->depthImage;
}

// In hardware window mode the front buffer is drawn at the client area's place on the desktop.
void SetFrontOffset(DrawTarget* target) {
  target->frontOffsetX = 0;
  target->frontOffsetY = 0;
  if (target->target == kFrontBuffer && IsSoftwareRender() == 0 &&
      System().settings.windowMode == 1 && MaskScreenInUse() == 0) {
    Rect client;
    GetClientScreenRect(&client);
    target->frontOffsetX = client.left;
    target->frontOffsetY = client.top;
  }
}

void TargetSize(int target, int* width, int* height) {
  if (IsScreen(target)) {
    *width = ScreenWidth();
    *height = ScreenHeight();
    return;
  }
  const GraphRecord* graph = GetGraphRecord(target);
  *width = graph->width;
  *height = graph->height;
}

}  // namespace

const DrawTarget& CurrentDrawTarget() {
  DrawTarget& target = Target();
  SelectStores(&target);
  return target;
}

void ResetDrawTarget() {
  DrawTarget& target = Target();
  target.target = kBackBuffer;
  SelectStores(&target);
  TargetSize(kBackBuffer, &target.width, &target.height);
  target.frontOffsetX = 0;
  target.frontOffsetY = 0;
}

void FollowClientArea() {
  SetFrontOffset(&Target());
  const Rect& area = gDrawState.requestedArea;
  SetDrawClip(area.left, area.top, area.right, area.bottom);
}

bool DrawTargetLimits(Rect* limits) {
  const int target = Target().target;
  if (target == kBackBuffer) {
    *limits = {0, 0, ScreenWidth(), ScreenHeight()};
    return true;
  }
  if (target == kFrontBuffer) {
    // Only the part of the client area that lies on the desktop can be drawn on.
    Rect client;
    GetClientScreenRect(&client);
    const platform::Desktop desktop = platform::DesktopInfo();
    limits->left = std::clamp(-client.left, 0, ScreenWidth());
    limits->top = std::clamp(-client.top, 0, ScreenHeight());
    limits->right = std::max(limits->left, std::min(ScreenWidth(), desktop.width - client.left));
    limits->bottom = std::max(limits->top, std::min(ScreenHeight(), desktop.height - client.top));
    return true;
  }
  const GraphRecord* graph = GetGraphRecord(target);
  if (graph == nullptr) return false;
  *limits = {0, 0, graph->width, graph->height};
  return true;
}

int SetDrawTargetBody(int target) {
  const GraphSettings& settings = GraphicsSettings();
  if (!settings.initialised) return -1;
  if (settings.suspended) return 0;
  WaitWhileInactive();
  // Anything but a screen must be a graphic with a store to draw into.
  if (!IsScreen(target)) {
    const GraphRecord* graph = GetGraphRecord(target);
    MEMIMG view;
    if (graph == nullptr || PieceMemImg(*graph, &view) == nullptr) return -1;
  }

  DrawTarget& current = Target();
  const int oldWidth = current.width;
  const int oldHeight = current.height;
  current.target = target;
  SelectStores(&current);
  SetFrontOffset(&current);
  // A window's primary keeps blits inside the client area, but drawing onto the front buffer
  // locks it at the client area's place instead.
  const DisplayState& display = TheDisplay();
  if (IsScreen(target) && display.primary != nullptr && System().settings.windowMode == 1) {
    platform::AttachClipper(display.primary, target == kFrontBuffer ? nullptr : display.clipper);
  }
  TargetSize(target, &current.width, &current.height);
  if (current.width != oldWidth || current.height != oldHeight) {
    SetDrawClip(0, 0, current.width, current.height);
  }
  return 0;
}

}  // namespace kumo
