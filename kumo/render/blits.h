// The software blit families: pixel loops that draw one MEMIMG into another under the current
// draw state (blend mode and parameter, brightness, blend graph threshold table, draw area).
// A request they cannot serve draws nothing; none reports failure.
#pragma once

#include <cstdint>

#include "kumo/render/mem_img.h"

namespace kumo {

// The source with its top-left corner at (x, y). `transparent` honours the colour key;
// `blendGraph` (an 8-bit channel image at least the source's size) or null.
void PutMemImg(MEMIMG* dest, const MEMIMG& src, int x, int y, int transparent,
               const MEMIMG* blendGraph);

// The source scaled into (x1, y1, x2, y2), right and bottom exclusive; x2 < x1 mirrors left to
// right, y2 < y1 top to bottom. Nearest-pixel sampling.
void PutMemImgStretched(MEMIMG* dest, const MEMIMG& src, int x1, int y1, int x2, int y2,
                        int transparent, const MEMIMG* blendGraph);

// The source scaled and turned by `angle` radians (clockwise on the screen) about its centre,
// placed with its centre at (x, y); `mirror` flips it left to right first.
void PutMemImgRotated(MEMIMG* dest, const MEMIMG& src, int x, int y, float angle, float scale,
                      int transparent, int mirror, const MEMIMG* blendGraph);

// A destination point of a mapped shape.
struct BlitPoint {
  int x, y;
};

// The source mapped onto the quadrilateral whose corners receive the source's top-left,
// top-right, bottom-left and bottom-right corners.
void PutMemImgQuad(MEMIMG* dest, const MEMIMG& src, BlitPoint topLeft, BlitPoint topRight,
                   BlitPoint bottomLeft, BlitPoint bottomRight, int transparent,
                   const MEMIMG* blendGraph);

// A triangle vertex: its destination position and the source position it shows.
struct BlitVertex {
  int x, y;  // destination pixel
  int u, v;  // source position in pixels
};

// One affine-mapped triangle of the source.
void PutMemImgTriangle(MEMIMG* dest, const MEMIMG& src, const BlitVertex vertices[3],
                       int transparent, const MEMIMG* blendGraph);

// `rect` (clipped to the draw area) filled with the raw destination pixel `colour` under the
// blend mode and the brightness.
void FillMemImgBlend(MEMIMG* dest, const Rect& rect, uint32_t colour);

}  // namespace kumo
