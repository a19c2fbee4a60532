// FillMemImgBlend: a rectangle filled with one colour under the blend mode and the brightness.
// The colour is lit once; a copy is a plain fill, every other blend runs a loop generated for
// its format and operation.
#include <cstdint>
#include <cstring>

#include "kumo/core/bodies.h"
#include "kumo/render/blit_pixel.h"
#include "kumo/render/blits.h"
#include "kumo/render/draw_state.h"

namespace kumo {
namespace {

using namespace blit;

struct FillJob {
  uint8_t* dest;  // first pixel of the clipped rectangle
  int destPitch;
  int width, height;
  uint32_t colour;  // lit
  Blend blend;
};

using FillFn = void (*)(const FillJob&);

template <int Kind, Op O>
void FillLoop(const FillJob& job) {
  constexpr int kBytes = Kind == kKindColor32 ? 4 : 2;
  constexpr uint32_t kColourMask = Kind == kKindColor32 ? 0xFFFFFFu : 0xFFFFu;
  uint8_t* line = job.dest;
  for (int y = 0; y < job.height; ++y) {
    for (int x = 0; x < job.width; ++x) {
      uint32_t d = 0;
      std::memcpy(&d, line + kBytes * x, kBytes);
      const uint32_t v =
          Combine<Kind, O, false, kSignedTable>(job.colour, d & kColourMask, 0, 256, job.blend);
      std::memcpy(line + kBytes * x, &v, kBytes);
    }
    line += job.destPitch;
  }
}

// The loop for a blend other than a copy; the fill has no halving loop.
template <int Kind>
FillFn PickFill(Op op) {
  switch (op) {
    case kBlend:
      return &FillLoop<Kind, kBlend>;
    case kAdd:
      return &FillLoop<Kind, kAdd>;
    case kAddFull:
      return &FillLoop<Kind, kAddFull>;
    case kSub:
      return &FillLoop<Kind, kSub>;
    case kSubFull:
      return &FillLoop<Kind, kSubFull>;
    case kMultiply:
      return &FillLoop<Kind, kMultiply>;
    case kCopy:
    case kHalve:
      break;
  }
  return nullptr;
}

// The colour under the brightness. 16-bit fields are scaled by the brightness byte over 256.
uint32_t LightColour(uint32_t colour, const Blend& b) {
  if (b.kind == kKindColor32) {
    colour &= 0xFFFFFFu;
    return b.bright ? Brighten<kKindColor32>(colour, b) : colour;
  }
  colour &= 0xFFFFu;
  if (!b.bright) return colour;
  uint32_t lit = 0;
  for (int i = 0; i < 3; ++i) {
    const Field f = kFields16[i];
    const uint32_t mask = (1u << f.width) - 1;
    const uint32_t byte = (gDrawState.brightness >> (8 * i)) & 0xFF;
    lit |= (((colour >> f.shift) & mask) * byte >> 8) << f.shift;
  }
  return lit;
}

}  // namespace

void FillMemImgBlend(MEMIMG* dest, const Rect& rect, uint32_t colour) {
  if (!IsBlitTarget(dest)) return;
  FillJob job{};
  if (!ClassifyBlend(dest->formatKind, false, false, &job.blend)) return;

  const Rect area = ClippedDrawArea(*dest);
  Rect r = rect;
  ClipRectBody(&r, &area);
  if (r.left >= r.right || r.top >= r.bottom) return;
  job.colour = LightColour(colour, job.blend);
  if (job.blend.op == kCopy) {
    FillMemImg(dest, &r, job.colour);
    return;
  }
  const FillFn loop = dest->formatKind == kKindColor32 ? PickFill<kKindColor32>(job.blend.op)
                                                       : PickFill<kKindColor16>(job.blend.op);
  if (loop == nullptr) return;
  job.dest = PixelAddress(*dest, r.left, r.top);
  job.destPitch = dest->pitch;
  job.width = r.right - r.left;
  job.height = r.bottom - r.top;
  loop(job);
}

}  // namespace kumo
