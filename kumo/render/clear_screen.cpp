// Clearing the draw target with the background colour.
#include <algorithm>

#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/core/window.h"
#include "kumo/image/graph_handles.h"
#include "kumo/platform/draw_surfaces.h"
#include "kumo/render/blits.h"
#include "kumo/render/display.h"
#include "kumo/render/display_state.h"
#include "kumo/render/draw_target.h"
#include "kumo/render/screen_color.h"

namespace kumo {

namespace {

constexpr uint32_t kFarthestDepth = 0xFFFF;

// The part of the front buffer the window shows, on the primary surface.
platform::Area WindowOnPrimary(platform::Surface* primary) {
  platform::SurfaceInfo info{};
  platform::DescribeSurface(primary, &info);
  Rect client;
  GetClientScreenRect(&client);
  return {std::max(client.left, 0), std::max(client.top, 0), std::min(client.right, info.width),
          std::min(client.bottom, info.height)};
}

}  // namespace

int ClearScreenBody() {
  if (GraphicsSettings().suspended != 0) return 0;
  WaitWhileInactive();
  if (IsGraphicsReady() == 0) return 0;
  const DrawTarget& target = CurrentDrawTarget();
  const DisplayState& display = TheDisplay();
  const Rect whole = {0, 0, target.width, target.height};

  if (display.software != 0) {
    if (target.image != nullptr)
      FillMemImg(target.image, nullptr, BackgroundPixel(*target.image->format));
    if (target.depthImage != nullptr) FillMemImg(target.depthImage, nullptr, kFarthestDepth);
    if (target.target == kFrontBuffer) UpdateFrontRect(whole);
    return 0;
  }
  if (target.surface == nullptr) {
    // A graphic held in a memory image is filled under the draw state.
    if (target.image != nullptr)
      FillMemImgBlend(target.image, whole, BackgroundPixel(*target.image->format));
    if (target.depthImage != nullptr) FillMemImg(target.depthImage, nullptr, kFarthestDepth);
    return 0;
  }
  platform::Area area = {0, 0, target.width, target.height};
  if (target.target == kFrontBuffer && System().settings.windowMode == 1) {
    area = WindowOnPrimary(target.surface);
  }
  if (area.left < area.right && area.top < area.bottom) {
    platform::FillColor(target.surface, &area, BackgroundColor());
  }
  platform::FillDepth(display.depth, nullptr, kFarthestDepth);
  return 0;
}

}  // namespace kumo
