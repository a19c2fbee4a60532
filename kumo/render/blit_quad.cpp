// PutMemImgQuad: the source mapped onto a quadrilateral, drawn as two triangles that share the
// diagonal from the top-right to the bottom-left corner.
#include <algorithm>
#include <cstdint>

#include "kumo/render/blit_pixel.h"
#include "kumo/render/blits.h"

namespace kumo {

void PutMemImgQuad(MEMIMG* dest, const MEMIMG& src, BlitPoint topLeft, BlitPoint topRight,
                   BlitPoint bottomLeft, BlitPoint bottomRight, int transparent,
                   const MEMIMG* blendGraph) {
  if (dest == nullptr || dest->magic != kMemImgMagic) return;
  // The corners' bounding box, with a margin, must reach into the draw area.
  const auto [minX, maxX] = std::minmax({topLeft.x, topRight.x, bottomLeft.x, bottomRight.x});
  const auto [minY, maxY] = std::minmax({topLeft.y, topRight.y, bottomLeft.y, bottomRight.y});
  const Rect area = blit::ClippedDrawArea(*dest);
  if (std::max<int64_t>(int64_t{minX} - 2, area.left) >=
          std::min<int64_t>(int64_t{maxX} + 4, area.right) ||
      std::max<int64_t>(int64_t{minY} - 2, area.top) >=
          std::min<int64_t>(int64_t{maxY} + 4, area.bottom))
    return;

  const int w = src.width, h = src.height;
  const BlitVertex upper[3] = {{topLeft.x, topLeft.y, 0, 0},
                               {topRight.x, topRight.y, w, 0},
                               {bottomLeft.x, bottomLeft.y, 0, h}};
  const BlitVertex lower[3] = {{topRight.x, topRight.y, w, 0},
                               {bottomLeft.x, bottomLeft.y, 0, h},
                               {bottomRight.x, bottomRight.y, w, h}};
  PutMemImgTriangle(dest, src, upper, transparent, blendGraph);
  PutMemImgTriangle(dest, src, lower, transparent, blendGraph);
}

}  // namespace kumo
