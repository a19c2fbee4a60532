// Preparing target and source of a surface draw as memory-image views.
#include "kumo/render/surface_draw.h"

#include <cstring>

#include "kumo/core/bodies.h"
#include "kumo/image/color_format.h"
#include "kumo/platform/draw_surfaces.h"
#include "kumo/render/convert_pixels.h"
#include "kumo/render/display_palette.h"
#include "kumo/render/display_state.h"
#include "kumo/render/draw_target.h"
#include "kumo/render/surface_image.h"

namespace kumo {

namespace {

platform::Area AreaOf(const Rect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

// Copies `rect` of the source onto the destination with its corner at (x, y). The display
// offers no copy through window device contexts, so every copy between surfaces is a BltFast.
bool SurfaceCopy(platform::Surface* destination, platform::Surface* source, int x, int y,
                 const Rect& rect) {
  const platform::Area area = AreaOf(rect);
  return !platform::DrawFailed(platform::BlitFast(destination, x, y, source, &area, false));
}

// Screens the blitters cannot draw in place: X1 R5 G5 B5, palette indexes, other masks.
bool NeedsConversion() {
  const int colorClass = TheDisplay().colorClass;
  return colorClass == kClassX1R5G5B5 || colorClass == kClassOther;
}

PixelBlock BlockOf(const MEMIMG& image) { return {image.pixels, image.pitch, image.format}; }

void ConvertFromScreen(MEMIMG* image, uint8_t* pixels, int pitch) {
  ConvertPixels(BlockOf(*image), {pixels, pitch, &TheDisplay().format}, {nullptr, 0, nullptr}, 0, 0,
                {0, 0, image->width, image->height}, {});
}

void ConvertToScreen(const MEMIMG& image, uint8_t* pixels, int pitch) {
  const ColorFormat& screen = TheDisplay().format;
  if (screen.bitsPerPixel != 8) {
    ConvertPixels({pixels, pitch, &screen}, BlockOf(image), {nullptr, 0, nullptr}, 0, 0,
                  {0, 0, image.width, image.height}, {});
    return;
  }
  // Colours go back to palette indexes one by one: the converter copies indexes only.
  const int bytes = MemImgBytesPerPixel(image);
  for (int y = 0; y < image.height; ++y) {
    const auto* in = static_cast<const uint8_t*>(image.pixels) + y * image.pitch;
    uint8_t* out = pixels + y * pitch;
    for (int x = 0; x < image.width; ++x) {
      uint32_t value = 0;
      std::memcpy(&value, in + x * bytes, static_cast<size_t>(bytes));
      int red, green, blue;
      PixelToColor(*image.format, value, &red, &green, &blue, nullptr);
      out[x] = static_cast<uint8_t>(NearestPaletteIndex(red, green, blue));
    }
  }
}

// Locks the target surface over `rect` (target coordinates) and makes the target view: the
// locked pixels themselves, or a converted copy of them.
int LockTarget(const DrawTarget& target, const Rect& rect, SurfaceDraw* draw) {
  DisplayState& display = TheDisplay();
  const int dx = target.offsetX + target.frontOffsetX;
  const int dy = target.offsetY + target.frontOffsetY;
  draw->surfaceRect = {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
  platform::Surface* surface = target.surface;
  platform::Area lockArea = AreaOf(draw->surfaceRect);
  const bool convert = NeedsConversion();
  if (convert) {
    if (!SurfaceCopy(display.work1, target.surface, rect.left, rect.top, draw->surfaceRect)) {
      return -1;
    }
    surface = display.work1;
    lockArea = AreaOf(rect);
    draw->copied = target.surface;
  }
  platform::LockedPixels locked{};
  if (platform::DrawFailed(platform::LockSurface(surface, &lockArea, &locked))) return -1;
  draw->locked = surface;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  std::memset(&draw->target, 0, sizeof draw->target);
  if (!convert) {
    draw->target.pixels = locked.pixels;
    CreateMemImg(&draw->target, width, height, locked.pitch, 0, ScreenImageKind(), 0, 0);
    return 0;
  }
  if (CreateMemImg(&draw->target, width, height, -1, 0, ScreenImageKind(), 0, 0) != 0) {
    platform::UnlockSurface(surface);
    return -1;
  }
  draw->lockedPixels = locked.pixels;
  draw->lockedPitch = locked.pitch;
  ConvertFromScreen(&draw->target, locked.pixels, locked.pitch);
  return 0;
}

}  // namespace

int BeginSurfaceDraw(const Rect& area, const GraphRecord& graph, SurfaceDraw* draw) {
  draw->locked = nullptr;
  draw->copied = nullptr;
  draw->lockedPixels = nullptr;
  const DrawTarget& target = CurrentDrawTarget();
  draw->source = PieceMemImg(graph, &draw->sourceView);
  if (draw->source == nullptr || (target.image == nullptr && target.surface == nullptr)) return -1;
  // The view must stay inside the target's pixels whatever the draw area says.
  Rect rect = area;
  const Rect bounds = target.image != nullptr
                          ? Rect{0, 0, target.image->width, target.image->height}
                          : Rect{0, 0, target.width, target.height};
  ClipRectBody(&rect, &bounds);
  if (rect.left >= rect.right || rect.top >= rect.bottom) return -1;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (target.image != nullptr) {
    MakeMemImgView(&draw->target, *target.image, rect.left, rect.top, width, height);
  } else if (LockTarget(target, rect, draw) != 0) {
    return -1;
  }
  draw->originX = rect.left;
  draw->originY = rect.top;
  draw->savedArea = SaveDrawArea();
  SetDrawArea({0, 0, width, height});
  return 0;
}

void EndSurfaceDraw(SurfaceDraw* draw) {
  if (draw->locked != nullptr) {
    const Rect onWork = {draw->originX, draw->originY, draw->originX + draw->target.width,
                         draw->originY + draw->target.height};
    if (draw->lockedPixels != nullptr) {
      ConvertToScreen(draw->target, draw->lockedPixels, draw->lockedPitch);
    }
    ReleaseMemImg(&draw->target);
    platform::UnlockSurface(draw->locked);
    if (draw->copied != nullptr) {
      SurfaceCopy(draw->copied, TheDisplay().work1, draw->surfaceRect.left, draw->surfaceRect.top,
                  onWork);
    }
  }
  RestoreDrawArea(draw->savedArea);
}

}  // namespace kumo
