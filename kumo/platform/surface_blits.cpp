// Fills and blits between drawing surfaces: rectangles checked against their surfaces or clipped
// by the destination's clipper, scaling by the nearest pixel, and the source colour key.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "kumo/platform/draw_surfaces.h"
#include "kumo/platform/pixel_codec.h"
#include "kumo/platform/screen.h"
#include "kumo/platform/surface_record.h"

namespace kumo::platform {

namespace {

using Hold = std::lock_guard<std::mutex>;

bool TurnedRound(const Area& area) { return area.left > area.right || area.top > area.bottom; }
bool IsEmpty(const Area& area) { return area.left >= area.right || area.top >= area.bottom; }
bool Inside(const Area& area, const Surface& surface) {
  return area.left >= 0 && area.top >= 0 && area.right <= surface.width &&
         area.bottom <= surface.height;
}

Area Intersect(const Area& a, const Area& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

// Where a blit or fill may write: without a clipper, the rectangle itself, which must lie in
// the surface; with one, the part of it inside the surface and the clipper's window.
DrawResult DestinationArea(const Surface& surface, const Area* rect, Area* area, Area* clipped) {
  *area = rect != nullptr ? *rect : Area{0, 0, surface.width, surface.height};
  if (TurnedRound(*area)) return kDrawInvalidRect;
  if (surface.clipper == nullptr) {
    if (!Inside(*area, surface)) return kDrawInvalidRect;
    *clipped = *area;
    return kDrawOk;
  }
  *clipped = Intersect(*area, {0, 0, surface.width, surface.height});
  if (surface.clipper->window != nullptr) {
    const Area client = ClientArea(surface.clipper->window);
    int x = 0, y = 0;
    ClientOrigin(surface.clipper->window, &x, &y);
    *clipped = Intersect(*clipped, {x, y, x + client.right, y + client.bottom});
  }
  return kDrawOk;
}

DrawResult Fill(Surface* surface, const Area* rect, uint32_t value, bool depth) {
  Hold hold(DisplayGuard());
  const DrawResult usable = Usable(surface);
  if (usable != kDrawOk) return usable;
  if (((surface->format.flags & kPixelDepth) != 0) != depth) return kDrawInvalidParams;
  Area area{}, clipped{};
  const DrawResult placed = DestinationArea(*surface, rect, &area, &clipped);
  if (placed != kDrawOk || IsEmpty(clipped)) return placed;
  const int bytes = BytesPerPixel(surface->format);
  const size_t rowBytes = static_cast<size_t>(clipped.right - clipped.left) * bytes;
  uint8_t* first = PixelsOf(surface) + static_cast<size_t>(clipped.top) * surface->pitch +
                   static_cast<size_t>(clipped.left) * bytes;
  // The first row pixel by pixel, every other as a copy of it.
  for (int x = 0; x < clipped.right - clipped.left; ++x)
    StorePixel(first + x * bytes, bytes, value);
  for (int y = clipped.top + 1; y < clipped.bottom; ++y) {
    std::memcpy(first + static_cast<size_t>(y - clipped.top) * surface->pitch, first, rowBytes);
  }
  SurfaceChanged(surface, clipped, false);
  return kDrawOk;
}

// Copies `source` (its pixels at `sourceBase`, rows `sourcePitch` apart) scaled onto `area` of
// the destination, writing only inside `clipped`.
void Copy(Surface* destination, const Area& area, const Area& clipped, const uint8_t* sourceBase,
          int sourcePitch, const Area& source, bool keyed, uint32_t key, uint32_t keyBits) {
  const int bytes = BytesPerPixel(destination->format);
  const int64_t width = int64_t{area.right} - area.left;
  const int64_t height = int64_t{area.bottom} - area.top;
  const int sourceWidth = source.right - source.left, sourceHeight = source.bottom - source.top;
  uint8_t* base = PixelsOf(destination);
  std::vector<int> columns(static_cast<size_t>(clipped.right - clipped.left));
  for (int x = clipped.left; x < clipped.right; ++x) {
    columns[x - clipped.left] = NearestSource(x, area.left, width, source.left, sourceWidth);
  }
  const bool plain = !keyed && width == sourceWidth;
  for (int y = clipped.top; y < clipped.bottom; ++y) {
    const int sourceY = NearestSource(y, area.top, height, source.top, sourceHeight);
    const uint8_t* in = sourceBase + static_cast<size_t>(sourceY) * sourcePitch;
    uint8_t* out = base + static_cast<size_t>(y) * destination->pitch;
    if (plain) {
      std::memcpy(out + clipped.left * bytes, in + columns[0] * bytes,
                  static_cast<size_t>(clipped.right - clipped.left) * bytes);
      continue;
    }
    for (int x = clipped.left; x < clipped.right; ++x) {
      const uint32_t pixel = LoadPixel(in + columns[x - clipped.left] * bytes, bytes);
      if (keyed && (pixel & keyBits) == key) continue;
      StorePixel(out + x * bytes, bytes, pixel);
    }
  }
}

DrawResult BlitArea(Surface* destination, const Area& area, const Area& clipped, Surface* source,
                    const Area& sourceArea, bool sourceKey) {
  if (IsEmpty(clipped) || IsEmpty(sourceArea)) return kDrawOk;
  const int bytes = BytesPerPixel(source->format);
  const uint8_t* sourceBase = PixelsOf(source);
  int sourcePitch = source->pitch;
  Area from = sourceArea;
  // A surface blitted onto itself is read from a copy, so that no pixel is read after it changed.
  std::vector<uint8_t> copy;
  if (source == destination) {
    const int width = sourceArea.right - sourceArea.left;
    try {
      copy.resize(static_cast<size_t>(width) * bytes * (sourceArea.bottom - sourceArea.top));
    } catch (const std::bad_alloc&) {
      return kDrawOutOfMemory;
    }
    for (int y = sourceArea.top; y < sourceArea.bottom; ++y) {
      std::memcpy(copy.data() + static_cast<size_t>(y - sourceArea.top) * width * bytes,
                  sourceBase + static_cast<size_t>(y) * source->pitch + sourceArea.left * bytes,
                  static_cast<size_t>(width) * bytes);
    }
    sourceBase = copy.data();
    sourcePitch = width * bytes;
    from = {0, 0, width, sourceArea.bottom - sourceArea.top};
  }
  const uint32_t keyBits = MeaningfulBits(source->format);
  Copy(destination, area, clipped, sourceBase, sourcePitch, from, sourceKey && source->hasKey,
       source->key & keyBits, keyBits);
  SurfaceChanged(destination, clipped, true);
  return kDrawOk;
}

// What every blit checks first; the source rectangle defaults to the whole source.
DrawResult CheckBlit(Surface* destination, Surface* source, const Area* sourceRect,
                     Area* sourceArea) {
  DrawResult usable = Usable(destination);
  if (usable == kDrawOk) usable = Usable(source);
  if (usable != kDrawOk) return usable;
  if (!SamePixelFormat(destination->format, source->format)) return kDrawUnsupported;
  *sourceArea = sourceRect != nullptr ? *sourceRect : Area{0, 0, source->width, source->height};
  if (TurnedRound(*sourceArea) || !Inside(*sourceArea, *source)) return kDrawInvalidRect;
  return kDrawOk;
}

}  // namespace

DrawResult FillColor(Surface* surface, const Area* rect, uint32_t pixel) {
  return Fill(surface, rect, pixel, false);
}

DrawResult FillDepth(Surface* surface, const Area* rect, uint32_t depth) {
  return Fill(surface, rect, depth, true);
}

DrawResult Blit(Surface* destination, const Area* destinationRect, Surface* source,
                const Area* sourceRect, bool sourceKey) {
  Hold hold(DisplayGuard());
  Area sourceArea{};
  const DrawResult checked = CheckBlit(destination, source, sourceRect, &sourceArea);
  if (checked != kDrawOk) return checked;
  Area area{}, clipped{};
  const DrawResult placed = DestinationArea(*destination, destinationRect, &area, &clipped);
  if (placed != kDrawOk) return placed;
  return BlitArea(destination, area, clipped, source, sourceArea, sourceKey);
}

DrawResult BlitFast(Surface* destination, int x, int y, Surface* source, const Area* sourceRect,
                    bool sourceKey) {
  Hold hold(DisplayGuard());
  Area sourceArea{};
  const DrawResult checked = CheckBlit(destination, source, sourceRect, &sourceArea);
  if (checked != kDrawOk) return checked;
  if (destination->clipper != nullptr) return kDrawUnsupported;
  const Area area = {x, y, x + sourceArea.right - sourceArea.left,
                     y + sourceArea.bottom - sourceArea.top};
  if (!Inside(area, *destination)) return kDrawInvalidRect;
  return BlitArea(destination, area, area, source, sourceArea, sourceKey);
}

}  // namespace kumo::platform
