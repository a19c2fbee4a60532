// Stand-ins for the blit members that are still being written, so that the drawing operations
// link and can be tried; this file goes when the members arrive. The stretched blit copies the
// nearest pixel with no blending; the rotated and quadrilateral blits draw nothing.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "kumo/render/blit_pixel.h"
#include "kumo/render/blits.h"

namespace kumo {

void PutMemImgStretched(MEMIMG* dest, const MEMIMG& src, int x1, int y1, int x2, int y2,
                        int transparent, const MEMIMG*) {
  if (dest == nullptr || dest->magic != kMemImgMagic || src.magic != kMemImgMagic ||
      dest->formatKind != src.formatKind || src.usesPalette) {
    return;
  }
  const int width = std::abs(x2 - x1);
  const int height = std::abs(y2 - y1);
  if (width == 0 || height == 0) return;
  const int left = std::min(x1, x2);
  const int top = std::min(y1, y2);
  const Rect area = blit::ClippedDrawArea(*dest);
  const int bytes = MemImgBytesPerPixel(*dest);
  for (int y = std::max(top, area.top); y < std::min(top + height, area.bottom); ++y) {
    int v = (y - top) * src.height / height;
    if (y2 < y1) v = src.height - 1 - v;
    for (int x = std::max(left, area.left); x < std::min(left + width, area.right); ++x) {
      int u = (x - left) * src.width / width;
      if (x2 < x1) u = src.width - 1 - u;
      const auto* from = static_cast<const uint8_t*>(src.pixels) + v * src.pitch + u * bytes;
      uint32_t pixel = 0;
      std::memcpy(&pixel, from, static_cast<size_t>(bytes));
      if (transparent && pixel == src.colorKey) continue;
      std::memcpy(static_cast<uint8_t*>(dest->pixels) + y * dest->pitch + x * bytes, from,
                  static_cast<size_t>(bytes));
    }
  }
}

void PutMemImgRotated(MEMIMG*, const MEMIMG&, int, int, float, float, int, int, const MEMIMG*) {}

void PutMemImgQuad(MEMIMG*, const MEMIMG&, BlitPoint, BlitPoint, BlitPoint, BlitPoint, int,
                   const MEMIMG*) {}

}  // namespace kumo
