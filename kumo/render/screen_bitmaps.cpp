// The software screens as top-down bit-field bitmaps of the window.
#include "kumo/render/screen_bitmaps.h"

#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/platform/window_bitmaps.h"
#include "kumo/render/display.h"
#include "kumo/render/display_state.h"

namespace kumo {

namespace {

platform::BitmapLayout LayoutOf(const MEMIMG& image) {
  return {image.width,           image.height,
          image.pitch,           image.format->bitsPerPixel,
          image.format->redMask, image.format->greenMask,
          image.format->blueMask};
}

platform::Area AreaOf(const Rect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// The front image while software mode shows it in a window; none otherwise.
MEMIMG* SoftwareFront() {
  DisplayState& display = TheDisplay();
  if (display.software == 0 || System().window == nullptr) return nullptr;
  return ScreenImage(-4);
}

}  // namespace

void DrawBackToWindow(const Rect& destination) {
  const MEMIMG* back = ScreenImage(-2);
  if (back == nullptr || System().window == nullptr) return;
  const platform::BitmapLayout layout = LayoutOf(*back);
  if (destination.right - destination.left == back->width &&
      destination.bottom - destination.top == back->height) {
    platform::DrawBitmap(System().window, destination.left, destination.top, layout, back->pixels);
  } else {
    platform::StretchBitmap(System().window, AreaOf(destination), layout, back->pixels,
                            {0, 0, back->width, back->height});
  }
}

void UpdateFrontRect(const Rect& rect) {
  const MEMIMG* front = SoftwareFront();
  if (front == nullptr) return;
  Rect area = rect;
  const Rect screen = {0, 0, front->width, front->height};
  ClipRectBody(&area, &screen);
  if (area.left >= area.right || area.top >= area.bottom) return;
  platform::StretchBitmap(System().window, AreaOf(area), LayoutOf(*front), front->pixels,
                          AreaOf(area));
}

void ReadFrontToMemImg() {
  DisplayState& display = TheDisplay();
  MEMIMG* front = SoftwareFront();
  if (front == nullptr || display.frontStale == 0) return;
  platform::ReadWindowBitmap(System().window, LayoutOf(*front), front->pixels);
  display.frontStale = 0;
}

}  // namespace kumo
