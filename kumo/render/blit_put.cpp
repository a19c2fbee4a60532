// PutMemImg: the plain blit at an integer position. The request is classified once and handed
// to one loop generated for exactly its combination of format, source kind, blend, blend graph,
// brightness and transparency, so the pixel loop tests nothing but the key and the alpha.
#include <cstdint>
#include <cstring>

#include "kumo/core/bodies.h"
#include "kumo/render/blit_pixel.h"
#include "kumo/render/blit_spans.h"
#include "kumo/render/blits.h"
#include "kumo/render/draw_state.h"

namespace kumo {
namespace {

using namespace blit;

struct PutJob {
  uint8_t* dest;
  int destPitch;
  const uint8_t* src;
  int srcPitch;
  const uint8_t* graph;
  int graphPitch;
  int width, height;
  Blend blend;
};

template <class C>
void PutLoop(const PutJob& job) {
  if constexpr (kHasSpan<C> && C::kOp == kCopy && C::kTransparency == kOpaque) {
    // Whole images without gaps between their lines copy as one block.
    const int lineBytes = job.width * C::kDestBytes;
    if (job.srcPitch == lineBytes && job.destPitch == lineBytes) {
      std::memcpy(job.dest, job.src, static_cast<size_t>(lineBytes) * job.height);
      return;
    }
  }
  const uint8_t* srcLine = job.src;
  uint8_t* destLine = job.dest;
  const uint8_t* graphLine = job.graph;
  for (int row = 0; row < job.height; ++row) {
    int col = 0;
    if constexpr (kHasSpan<C>) col = DrawSpan<C>(destLine, srcLine, job.width, job.blend);
    for (; col < job.width; ++col) {
      DrawPixel<C, kMixTable>(destLine + C::kDestBytes * col, srcLine + C::kSrcBytes * col,
                              C::kGraph ? graphLine[col] : 0, job.blend);
    }
    srcLine += job.srcPitch;
    destLine += job.destPitch;
    if constexpr (C::kGraph) graphLine += job.graphPitch;
  }
}

struct PutMember {
  using Fn = void (*)(const PutJob&);
  static constexpr bool kHalving = true;
  template <class C>
  static Fn Loop() {
    return &PutLoop<C>;
  }
};

}  // namespace

void PutMemImg(MEMIMG* dest, const MEMIMG& src, int x, int y, int transparent,
               const MEMIMG* blendGraph) {
  PutJob job{};
  if (!ClassifyBlit(dest, src, transparent, blendGraph, src.width, src.height, true, &job.blend))
    return;
  const PutMember::Fn loop = PickLoop<PutMember>(job.blend);
  if (loop == nullptr) return;

  const Rect area = ClippedDrawArea(*dest);
  Rect r = {x, y, x + src.width, y + src.height};
  ClipRectBody(&r, &area);
  if (r.left >= r.right || r.top >= r.bottom) return;
  // The source and the blend graph start where the clipping moved the left and top edges.
  const int srcX = r.left - x;
  const int srcY = r.top - y;
  job.dest = PixelAddress(*dest, r.left, r.top);
  job.destPitch = dest->pitch;
  job.src = PixelAddress(src, srcX, srcY);
  job.srcPitch = src.pitch;
  if (blendGraph != nullptr) {
    job.graph = PixelAddress(*blendGraph, srcX, srcY);
    job.graphPitch = blendGraph->pitch;
  }
  job.width = r.right - r.left;
  job.height = r.bottom - r.top;
  loop(job);
}

}  // namespace kumo
