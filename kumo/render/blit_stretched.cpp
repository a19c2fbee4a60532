// PutMemImgStretched: the source scaled into a rectangle by nearest-pixel sampling, mirrored on
// an axis whose corners are reversed. Source columns and rows are walked with counters in fixed
// point of 16 fraction bits, so every destination pixel is written once and no division is
// spent per pixel.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "kumo/core/bodies.h"
#include "kumo/render/blit_pixel.h"
#include "kumo/render/blit_scratch.h"
#include "kumo/render/blits.h"

namespace kumo {
namespace {

using namespace blit;

constexpr int64_t kOne = 65536;
// Beyond this many source pixels on a side a step of 16 fraction bits can reach past the last
// source pixel (or fall to zero), so larger sources are not drawn.
constexpr int kLargestSide = 65536;

// How one axis is walked: the first source pixel, the direction, the destination length of one
// source pixel and the counter's start (what is left of the first source pixel), both in 1/65536.
struct AxisWalk {
  int first;
  int dir;
  int64_t step;
  int64_t counter;
};

struct StretchJob {
  uint8_t* dest;  // first pixel of the clipped rectangle
  int destPitch;
  const uint8_t* src;  // the source's line 0
  int srcPitch;
  const uint8_t* graph;  // the blend graph's line 0
  int graphPitch;
  int width, height;   // of the clipped rectangle
  const int* columns;  // the source column of each destination column
  AxisWalk rows;
  Blend blend;
};

// Moves to the source pixel of the next destination pixel.
inline void Advance(const AxisWalk& walk, int* pos, int64_t* counter) {
  *counter -= kOne;
  while (*counter < 1) {
    *pos += walk.dir;
    *counter += walk.step;
  }
}

template <class C>
void StretchLoop(const StretchJob& job) {
  // A copy that reads neither the destination nor a blend graph makes a line that shows the
  // same source line as the line above it equal to that line.
  constexpr bool kRepeatLines = C::kOp == kCopy && !C::kGraph && C::kTransparency == kOpaque;
  uint8_t* destLine = job.dest;
  int row = job.rows.first;
  int64_t rowCounter = job.rows.counter;
  int previousRow = -1;
  for (int y = 0; y < job.height; ++y) {
    if (kRepeatLines && row == previousRow) {
      std::memcpy(destLine, destLine - job.destPitch,
                  static_cast<size_t>(job.width) * C::kDestBytes);
    } else {
      const uint8_t* srcLine = job.src + static_cast<ptrdiff_t>(row) * job.srcPitch;
      const uint8_t* graphLine =
          C::kGraph ? job.graph + static_cast<ptrdiff_t>(row) * job.graphPitch : nullptr;
      for (int x = 0; x < job.width; ++x) {
        const int col = job.columns[x];
        DrawPixel<C, kSignedTable>(destLine + C::kDestBytes * x, srcLine + C::kSrcBytes * col,
                                   C::kGraph ? graphLine[col] : 0, job.blend);
      }
    }
    previousRow = row;
    destLine += job.destPitch;
    Advance(job.rows, &row, &rowCounter);
  }
}

struct StretchMember {
  using Fn = void (*)(const StretchJob&);
  static constexpr bool kHalving = false;
  template <class C>
  static Fn Loop() {
    return &StretchLoop<C>;
  }
};

// The walk of one axis, where `size` destination pixels show `srcSize` source pixels and the
// first `skipped` destination pixels are clipped off.
AxisWalk MakeWalk(int64_t size, int srcSize, int64_t skipped, bool mirror) {
  AxisWalk walk;
  walk.step = size * kOne / srcSize;
  const int64_t offset = skipped * kOne;
  const int first = static_cast<int>(offset / walk.step);
  walk.counter = walk.step - offset % walk.step;
  walk.first = mirror ? srcSize - 1 - first : first;
  walk.dir = mirror ? -1 : 1;
  return walk;
}

}  // namespace

void PutMemImgStretched(MEMIMG* dest, const MEMIMG& src, int x1, int y1, int x2, int y2,
                        int transparent, const MEMIMG* blendGraph) {
  const bool mirrorX = x2 < x1;
  const bool mirrorY = y2 < y1;
  if (mirrorX) std::swap(x1, x2);
  if (mirrorY) std::swap(y1, y2);
  // Wide enough not to overflow for any pair of corners.
  const int64_t width = static_cast<int64_t>(x2) - x1;
  const int64_t height = static_cast<int64_t>(y2) - y1;
  if (width == src.width && height == src.height && !mirrorX && !mirrorY) {
    PutMemImg(dest, src, x1, y1, transparent, blendGraph);
    return;
  }
  if (width == 0 || height == 0 || src.width <= 0 || src.height <= 0 || src.width > kLargestSide ||
      src.height > kLargestSide)
    return;

  StretchJob job{};
  if (!ClassifyBlit(dest, src, transparent, blendGraph, src.width, src.height, false, &job.blend))
    return;
  const StretchMember::Fn loop = PickLoop<StretchMember>(job.blend);
  if (loop == nullptr) return;

  const Rect area = ClippedDrawArea(*dest);
  Rect r = {x1, y1, x2, y2};
  ClipRectBody(&r, &area);
  if (r.left >= r.right || r.top >= r.bottom) return;
  // The column walk is the same on every line: walked once into a table.
  static ScratchTable<int> columnTable;
  int* columns = columnTable.Reserve(static_cast<size_t>(r.right - r.left));
  if (columns == nullptr) return;
  const AxisWalk cols = MakeWalk(width, src.width, static_cast<int64_t>(r.left) - x1, mirrorX);
  int col = cols.first;
  int64_t colCounter = cols.counter;
  for (int x = 0; x < r.right - r.left; ++x) {
    columns[x] = col;
    Advance(cols, &col, &colCounter);
  }
  job.columns = columns;
  job.rows = MakeWalk(height, src.height, static_cast<int64_t>(r.top) - y1, mirrorY);
  job.dest = PixelAddress(*dest, r.left, r.top);
  job.destPitch = dest->pitch;
  job.src = static_cast<const uint8_t*>(src.pixels);
  job.srcPitch = src.pitch;
  if (blendGraph != nullptr) {
    job.graph = static_cast<const uint8_t*>(blendGraph->pixels);
    job.graphPitch = blendGraph->pitch;
  }
  job.width = r.right - r.left;
  job.height = r.bottom - r.top;
  loop(job);
}

}  // namespace kumo
