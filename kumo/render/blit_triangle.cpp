// PutMemImgTriangle: one affine texture-mapped triangle, the rasteriser under the quad blit.
// Vertices stand on pixel corners and pixels are sampled at their centres. A centre that lies
// exactly on an edge belongs to the triangle on the edge's right-hand side only (spans include
// their left end and exclude their right end), and centres never lie on a horizontal edge, so two
// triangles that share an edge cover every pixel along it once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kumo/render/blit_pixel.h"
#include "kumo/render/blits.h"

namespace kumo {
namespace {

using namespace blit;

constexpr int kFraction = 18;
// Coordinates beyond a million pixels draw nothing; inside it every product below fits 64 bits.
constexpr int64_t kCoordLimit = int64_t{1} << 20;

struct TriangleJob {
  uint8_t* dest;
  int destPitch;
  const uint8_t* src;
  int srcPitch;
  const uint8_t* graph;
  int graphPitch;
  int64_t uMax, vMax;              // the last fixed-point position inside the source
  int top, bottom, left, right;    // rows and columns that may be drawn
  BlitPoint upper, middle, lower;  // the vertices by y
  int64_t x0, y0, u0, v0;          // the first vertex, u0 and v0 in fixed point
  int64_t dudx, dvdx, dudy, dvdy;  // gradients in fixed point per pixel
  Blend blend;
};

// n / d rounded up, for d > 0.
int64_t CeilDiv(int64_t n, int64_t d) { return n >= 0 ? (n + d - 1) / d : -(-n / d); }

// n / d rounded to the nearest integer, halves away from zero, for d != 0.
int64_t RoundDiv(int64_t n, int64_t d) {
  if (d < 0) n = -n, d = -d;
  return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
}

// The first column whose centre lies at or right of edge a-b (a.y < b.y) on row `py`:
// ceil(x - 1/2) at y = py + 1/2, in exact integers.
int64_t EdgeColumn(BlitPoint a, BlitPoint b, int py) {
  const int64_t dy = int64_t{b.y} - a.y;
  return CeilDiv((2 * int64_t{a.x} - 1) * dy + (2 * (int64_t{py} - a.y) + 1) * (int64_t{b.x} - a.x),
                 2 * dy);
}

// Columns [*start, *end) of row `py` inside the triangle and the drawable columns.
bool RowSpan(const TriangleJob& job, int py, int* start, int* end) {
  const int64_t longEdge = EdgeColumn(job.upper, job.lower, py);
  const int64_t shortEdge = py < job.middle.y ? EdgeColumn(job.upper, job.middle, py)
                                              : EdgeColumn(job.middle, job.lower, py);
  *start = static_cast<int>(std::max<int64_t>(std::min(longEdge, shortEdge), job.left));
  *end = static_cast<int>(std::min<int64_t>(std::max(longEdge, shortEdge), job.right));
  return *start < *end;
}

// The fixed-point value of a gradient field at the centre of pixel (px, py). The products are
// taken modulo 2^64: a thin triangle has huge gradients whose terms may overflow although the
// value at a centre inside the triangle stays within the source's range.
int64_t ValueAt(const TriangleJob& job, int64_t origin, int64_t ddx, int64_t ddy, int px, int py) {
  const uint64_t twice = static_cast<uint64_t>(ddx) * static_cast<uint64_t>(2 * (px - job.x0) + 1) +
                         static_cast<uint64_t>(ddy) * static_cast<uint64_t>(2 * (py - job.y0) + 1);
  return origin + static_cast<int64_t>(twice) / 2;
}

template <class C>
void TriangleLoop(const TriangleJob& job) {
  for (int py = job.top; py < job.bottom; ++py) {
    int start, end;
    if (!RowSpan(job, py, &start, &end)) continue;
    int64_t u = ValueAt(job, job.u0, job.dudx, job.dudy, start, py);
    int64_t v = ValueAt(job, job.v0, job.dvdx, job.dvdy, start, py);
    uint8_t* destPixel = job.dest + static_cast<std::ptrdiff_t>(py) * job.destPitch +
                         static_cast<std::ptrdiff_t>(start) * C::kDestBytes;
    for (int px = start; px < end; ++px) {
      // Rounding of the gradients may step just outside the source: keep to its edge pixels.
      const int sx = static_cast<int>(std::clamp<int64_t>(u, 0, job.uMax) >> kFraction);
      const int sy = static_cast<int>(std::clamp<int64_t>(v, 0, job.vMax) >> kFraction);
      DrawPixel<C, kSignedTable>(
          destPixel, job.src + static_cast<std::ptrdiff_t>(sy) * job.srcPitch + sx * C::kSrcBytes,
          C::kGraph ? job.graph[static_cast<std::ptrdiff_t>(sy) * job.graphPitch + sx] : 0,
          job.blend);
      destPixel += C::kDestBytes;
      u += job.dudx;
      v += job.dvdx;
    }
  }
}

struct TriangleMember {
  using Fn = void (*)(const TriangleJob&);
  static constexpr bool kHalving = false;
  template <class C>
  static Fn Loop() {
    return &TriangleLoop<C>;
  }
};

bool WithinLimit(const BlitVertex& p) {
  return std::max({std::abs(int64_t{p.x}), std::abs(int64_t{p.y}), std::abs(int64_t{p.u}),
                   std::abs(int64_t{p.v})}) <= kCoordLimit;
}

}  // namespace

void PutMemImgTriangle(MEMIMG* dest, const MEMIMG& src, const BlitVertex vertices[3],
                       int transparent, const MEMIMG* blendGraph) {
  TriangleJob job{};
  if (!ClassifyBlit(dest, src, transparent, blendGraph, src.width, src.height, false, &job.blend))
    return;
  const TriangleMember::Fn loop = PickLoop<TriangleMember>(job.blend);
  if (loop == nullptr || src.width <= 0 || src.height <= 0) return;
  const BlitVertex& p0 = vertices[0];
  const BlitVertex& p1 = vertices[1];
  const BlitVertex& p2 = vertices[2];
  if (!WithinLimit(p0) || !WithinLimit(p1) || !WithinLimit(p2)) return;

  // Gradients of u and v over the destination, solved from the two edges out of vertex 0.
  const int64_t dx1 = p1.x - int64_t{p0.x}, dy1 = p1.y - int64_t{p0.y};
  const int64_t dx2 = p2.x - int64_t{p0.x}, dy2 = p2.y - int64_t{p0.y};
  const int64_t det = dx1 * dy2 - dx2 * dy1;
  if (det == 0) return;
  const int64_t du1 = p1.u - int64_t{p0.u}, du2 = p2.u - int64_t{p0.u};
  const int64_t dv1 = p1.v - int64_t{p0.v}, dv2 = p2.v - int64_t{p0.v};
  job.dudx = RoundDiv((du1 * dy2 - du2 * dy1) * (int64_t{1} << kFraction), det);
  job.dudy = RoundDiv((dx1 * du2 - dx2 * du1) * (int64_t{1} << kFraction), det);
  job.dvdx = RoundDiv((dv1 * dy2 - dv2 * dy1) * (int64_t{1} << kFraction), det);
  job.dvdy = RoundDiv((dx1 * dv2 - dx2 * dv1) * (int64_t{1} << kFraction), det);
  job.x0 = p0.x;
  job.y0 = p0.y;
  job.u0 = p0.u * (int64_t{1} << kFraction);
  job.v0 = p0.v * (int64_t{1} << kFraction);

  BlitPoint byY[3] = {{p0.x, p0.y}, {p1.x, p1.y}, {p2.x, p2.y}};
  std::sort(byY, byY + 3, [](BlitPoint a, BlitPoint b) { return a.y < b.y; });
  job.upper = byY[0];
  job.middle = byY[1];
  job.lower = byY[2];

  // Row centres lie strictly between the top and bottom vertices.
  const Rect area = ClippedDrawArea(*dest);
  job.top = std::max(job.upper.y, area.top);
  job.bottom = std::min(job.lower.y, area.bottom);
  job.left = area.left;
  job.right = area.right;
  if (job.top >= job.bottom || job.left >= job.right) return;

  job.dest = static_cast<uint8_t*>(dest->pixels);
  job.destPitch = dest->pitch;
  job.src = static_cast<const uint8_t*>(src.pixels);
  job.srcPitch = src.pitch;
  if (blendGraph != nullptr) {
    job.graph = static_cast<const uint8_t*>(blendGraph->pixels);
    job.graphPitch = blendGraph->pitch;
  }
  job.uMax = (int64_t{src.width} << kFraction) - 1;
  job.vMax = (int64_t{src.height} << kFraction) - 1;
  loop(job);
}

}  // namespace kumo
