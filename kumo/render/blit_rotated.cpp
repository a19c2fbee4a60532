// PutMemImgRotated: the source scaled and turned about its centre. The bounding box of the turned
// picture is walked line by line and each pixel centre is mapped back into the source in 18-bit
// fixed point; the mirrored picture goes through the quad blit instead, the unturned and unscaled
// one without blending through the plain blit.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "kumo/render/blit_pixel.h"
#include "kumo/render/blit_scratch.h"
#include "kumo/render/blits.h"

namespace kumo {
namespace {

using namespace blit;

constexpr int kFraction = 18;
constexpr double kOne = 1 << kFraction;
// Fixed-point values must stay well inside 64 bits while they are stepped across the box.
constexpr double kFixedRange = 0x1p61;

struct RotatedJob {
  uint8_t* dest;  // the box's top-left pixel
  int destPitch;
  int width, height;  // of the box
  const uint8_t* const* srcLines;
  const uint8_t* graph;
  int graphPitch;
  int64_t u, v;         // source position of the box's first pixel centre
  int64_t dudx, dvdx;   // along a line
  int64_t dudy, dvdy;   // from line to line
  uint64_t uEnd, vEnd;  // source width and height in fixed point
  Blend blend;
};

template <class C>
void RotatedLoop(const RotatedJob& job) {
  uint8_t* destLine = job.dest;
  int64_t uLine = job.u, vLine = job.v;
  for (int row = 0; row < job.height; ++row) {
    int64_t u = uLine, v = vLine;
    for (int col = 0; col < job.width; ++col) {
      // Unsigned, a negative position compares as outside too.
      if (static_cast<uint64_t>(u) < job.uEnd && static_cast<uint64_t>(v) < job.vEnd) {
        const int sx = static_cast<int>(u >> kFraction);
        const int sy = static_cast<int>(v >> kFraction);
        DrawPixel<C, kSignedTable>(
            destLine + C::kDestBytes * col, job.srcLines[sy] + C::kSrcBytes * sx,
            C::kGraph ? job.graph[static_cast<std::ptrdiff_t>(sy) * job.graphPitch + sx] : 0,
            job.blend);
      }
      u += job.dudx;
      v += job.dvdx;
    }
    uLine += job.dudy;
    vLine += job.dvdy;
    destLine += job.destPitch;
  }
}

struct RotatedMember {
  using Fn = void (*)(const RotatedJob&);
  static constexpr bool kHalving = false;
  template <class C>
  static Fn Loop() {
    return &RotatedLoop<C>;
  }
};

// The address of every source line, in storage grown for the tallest source so far (one blit
// runs at a time). Null when the storage cannot grow.
const uint8_t* const* SourceLines(const MEMIMG& src) {
  static ScratchTable<const uint8_t*> table;
  const uint8_t** lines = table.Reserve(static_cast<size_t>(src.height));
  if (lines == nullptr) return nullptr;
  for (int y = 0; y < src.height; ++y)
    lines[y] = static_cast<const uint8_t*>(src.pixels) + static_cast<std::ptrdiff_t>(y) * src.pitch;
  return lines;
}

// floor(value / 2^18 + 1/2): a fixed-point position to its nearest pixel, halves up.
int64_t NearestPixel(int64_t value) {
  const int64_t v = value + (int64_t{1} << (kFraction - 1));
  return v >= 0 ? v >> kFraction : -((-v - 1) >> kFraction) - 1;
}

}  // namespace

void PutMemImgRotated(MEMIMG* dest, const MEMIMG& src, int x, int y, float angle, float scale,
                      int transparent, int mirror, const MEMIMG* blendGraph) {
  if (!std::isfinite(angle) || !std::isfinite(scale) || !(scale > 0) || dest == nullptr ||
      dest->magic != kMemImgMagic || src.magic != kMemImgMagic)
    return;
  const double sinF = std::round(std::sin(double{angle}) * kOne);
  const double cosF = std::round(std::cos(double{angle}) * kOne);

  // The turned corners in fixed point, clockwise on the screen for a positive angle: top-left,
  // top-right, bottom-left, bottom-right.
  const double halfW = src.width * double{scale} / 2, halfH = src.height * double{scale} / 2;
  const double signX[4] = {-1, 1, -1, 1}, signY[4] = {-1, -1, 1, 1};
  double cornerX[4], cornerY[4];
  for (int i = 0; i < 4; ++i) {
    const double cx = signX[i] * halfW, cy = signY[i] * halfH;
    cornerX[i] = x * kOne + std::round(cx * cosF - cy * sinF);
    cornerY[i] = y * kOne + std::round(cx * sinF + cy * cosF);
  }

  if (mirror) {
    // Left and right exchanged on the quad blit. Each corner goes to its nearest pixel, so the
    // mirrored picture covers the same pixels as the unmirrored one.
    BlitPoint p[4];
    for (int i = 0; i < 4; ++i) {
      if (std::fabs(cornerX[i]) >= 0x1p48 || std::fabs(cornerY[i]) >= 0x1p48) return;
      p[i] = {static_cast<int>(NearestPixel(static_cast<int64_t>(cornerX[i]))),
              static_cast<int>(NearestPixel(static_cast<int64_t>(cornerY[i])))};
    }
    PutMemImgQuad(dest, src, p[1], p[0], p[3], p[2], transparent, blendGraph);
    return;
  }

  RotatedJob job{};
  if (!ClassifyBlit(dest, src, transparent, blendGraph, src.width, src.height, false, &job.blend))
    return;
  const RotatedMember::Fn loop = PickLoop<RotatedMember>(job.blend);
  if (loop == nullptr || src.width <= 0 || src.height <= 0) return;
  // Unturned and unscaled, the mapping below lands every pixel where the plain blit puts it;
  // without blending (where the two members' mixing differs) the plain blit's faster loops
  // draw the same pixels. Games draw whole backgrounds this way.
  // (A centre far out, where the plain blit's corners would overflow, stays on the long way.)
  const auto near = [](int v) { return v > INT_MIN / 2 && v < INT_MAX / 2; };
  if (sinF == 0 && cosF == kOne && scale == 1 && blendGraph == nullptr && job.blend.op == kCopy &&
      job.blend.transparency != kAlphaChannel && near(x) && near(y)) {
    PutMemImg(dest, src, x - src.width / 2, y - src.height / 2, transparent, nullptr);
    return;
  }

  // The corners' bounding box, widened to be sure of every pixel, within the draw area.
  const Rect area = ClippedDrawArea(*dest);
  const auto [minX, maxX] = std::minmax_element(cornerX, cornerX + 4);
  const auto [minY, maxY] = std::minmax_element(cornerY, cornerY + 4);
  const auto within = [](double v, int lo, int hi) {
    return static_cast<int>(std::clamp(v, static_cast<double>(lo), static_cast<double>(hi)));
  };
  const int left = within(std::floor(*minX / kOne) - 2, area.left, area.right);
  const int top = within(std::floor(*minY / kOne) - 2, area.top, area.bottom);
  const int right = within(std::floor(*maxX / kOne) + 4, area.left, area.right);
  const int bottom = within(std::floor(*maxY / kOne) + 4, area.top, area.bottom);
  if (left >= right || top >= bottom) return;

  // The inverse mapping. An odd size turns about the centre of its middle pixel and an even one
  // about the corner between its two middle pixels; either lands on (x, y), so at angle 0 and
  // scale 1 the picture covers what PutMemImg covers at (x - w / 2, y - h / 2), w / 2 truncated,
  // and pixel centres map to source pixel centres. Offsets are counted in half pixels.
  const double ox = 2.0 * (left - int64_t{x}) + 1 - (src.width & 1);
  const double oy = 2.0 * (top - int64_t{y}) + 1 - (src.height & 1);
  const double twiceScale = 2.0 * scale;
  const double u0 = src.width * kOne / 2 + (ox * cosF + oy * sinF) / twiceScale;
  const double v0 = src.height * kOne / 2 + (oy * cosF - ox * sinF) / twiceScale;
  const double dudx = cosF / scale, dvdx = -sinF / scale;
  const double dudy = sinF / scale, dvdy = cosF / scale;
  // The mapping is affine: its extremes over the box lie at the box's corners.
  const int lastCol = right - 1 - left, lastRow = bottom - 1 - top;
  for (double value : {dudx, dvdx, dudy, dvdy, u0, v0, u0 + lastCol * dudx, v0 + lastCol * dvdx,
                       u0 + lastRow * dudy, v0 + lastRow * dvdy,
                       u0 + lastCol * dudx + lastRow * dudy, v0 + lastCol * dvdx + lastRow * dvdy})
    if (!(std::fabs(value) < kFixedRange)) return;
  job.u = std::llround(u0);
  job.v = std::llround(v0);
  job.dudx = std::llround(dudx);
  job.dvdx = std::llround(dvdx);
  job.dudy = std::llround(dudy);
  job.dvdy = std::llround(dvdy);
  job.uEnd = static_cast<uint64_t>(src.width) << kFraction;
  job.vEnd = static_cast<uint64_t>(src.height) << kFraction;

  job.srcLines = SourceLines(src);
  if (job.srcLines == nullptr) return;
  job.dest = static_cast<uint8_t*>(dest->pixels) + static_cast<std::ptrdiff_t>(top) * dest->pitch +
             static_cast<std::ptrdiff_t>(left) * MemImgBytesPerPixel(*dest);
  job.destPitch = dest->pitch;
  if (blendGraph != nullptr) {
    job.graph = static_cast<const uint8_t*>(blendGraph->pixels);
    job.graphPitch = blendGraph->pitch;
  }
  job.width = right - left;
  job.height = bottom - top;
  loop(job);
}

}  // namespace kumo
