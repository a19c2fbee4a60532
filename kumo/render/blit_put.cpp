// PutMemImg: the plain blit at an integer position. The request is classified once and handed
// to one loop generated for exactly its combination of format, source kind, blend, blend graph,
// brightness and transparency, so the pixel loop tests nothing but the key and the alpha.
#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "kumo/core/bodies.h"
#include "kumo/render/blend_tables.h"
#include "kumo/render/blits.h"
#include "kumo/render/draw_state.h"

namespace kumo {
namespace {

// Blend operations after the parameter has been classified: alpha 255 is a copy, alpha 128
// without a blend graph halves, add and subtract at 255 skip the scale table.
enum Op { kCopy, kBlend, kHalve, kAdd, kAddFull, kSub, kSubFull, kMultiply };
// How a source pixel may be transparent.
enum Transparency { kOpaque, kKey, kAlphaChannel };

struct PutJob {
  uint8_t* dest;
  int destPitch;
  const uint8_t* src;
  int srcPitch;
  const uint8_t* graph;
  int graphPitch;
  int width, height;
  uint32_t key;
  int p;
  const uint32_t* scaleRow;      // row p of the scale table
  const uint8_t* mixRow;         // row p / 4 of the 6-bit mix table, [s][d] flattened
  const uint32_t* brightRow[3];  // blue, green, red
  const uint8_t* graphTable;
};

// The copied palette; only one blit runs at a time (the library lock), so fixed storage does.
uint32_t gScratchPalette[256];

// A channel (32-bit) or field (16-bit): where it sits and how wide it is.
struct Field {
  int shift, width;
};
constexpr Field kFields32[3] = {{0, 8}, {8, 8}, {16, 8}};
constexpr Field kFields16[3] = {{0, 5}, {5, 6}, {11, 5}};

// d + (s - d) * weight >> shift, rounding toward minus infinity.
inline uint32_t Lerp(uint32_t s, uint32_t d, int64_t weight, int shift) {
  const int64_t diff = static_cast<int64_t>(s) - static_cast<int64_t>(d);
  return static_cast<uint32_t>(static_cast<int64_t>(d) + ((diff * weight) >> shift));
}

// Added or subtracted amount v of one channel; `a` is 256 for a pixel without partial alpha.
template <Op O, bool Graph>
inline uint32_t AddAmount(uint32_t s, int w, int a, const PutJob& job) {
  uint64_t v;
  int shift = 0;
  if constexpr (Graph) {
    v = static_cast<uint64_t>(s) * static_cast<uint64_t>(w) * static_cast<uint64_t>(job.p);
    shift = 16;
  } else if constexpr (O == kAddFull || O == kSubFull) {
    v = s;
  } else {
    v = job.scaleRow[s];
  }
  if (a != 256) {
    v *= static_cast<uint64_t>(a);
    shift += 8;
  }
  return static_cast<uint32_t>(v >> shift);
}

// The new destination pixel from source colour s (brightness applied), destination d, blend
// graph weight w and alpha a (256 when the pixel has no partial alpha).
template <int Kind, Op O, bool Graph>
inline uint32_t Combine(uint32_t s, uint32_t d, int w, int a, const PutJob& job) {
  if constexpr (O == kCopy && !Graph) {
    if (a == 256) return s;
  }
  if constexpr (O == kHalve) {
    if (a == 256) {
      if constexpr (Kind == kKindColor32) return ((s >> 1) & 0x7F7F7Fu) + ((d >> 1) & 0x7F7F7Fu);
      return ((s >> 1) & 0x7BEFu) + ((d >> 1) & 0x7BEFu);
    }
  }
  if constexpr (Kind == kKindColor16 && O == kBlend && !Graph) {
    if (a == 256) {
      uint32_t out = 0;
      for (const Field& f : kFields16) {
        const uint32_t mask = (1u << f.width) - 1;
        out |= static_cast<uint32_t>(
                   job.mixRow[(((s >> f.shift) & mask) << 6) | ((d >> f.shift) & mask)])
               << f.shift;
      }
      return out;
    }
  }
  const Field* fields = Kind == kKindColor32 ? kFields32 : kFields16;
  if constexpr (Kind == kKindColor16 && (O == kAdd || O == kAddFull)) {
    // Packed add on the whole pixel: saturates every field, within one unit of the exact sum
    // on the low bits of green and red. Subtract stays per field: its packed form can miss
    // red by two.
    uint32_t v = 0;
    for (int i = 0; i < 3; ++i) {
      const uint32_t mask = (1u << fields[i].width) - 1;
      v |= AddAmount<O, Graph>((s >> fields[i].shift) & mask, w, a, job) << fields[i].shift;
    }
    const uint32_t x = (v & 0xF7DFu) + (d & 0xF7DFu);
    const uint32_t c = x & 0x10820u;
    return ((c - (c >> 5)) | ((d | v) & 0x0820u) | x) & 0xFFFFu;
  }
  uint32_t out = 0;
  for (int i = 0; i < 3; ++i) {
    const Field f = fields[i];
    const uint32_t mask = (1u << f.width) - 1;
    const uint32_t sc = (s >> f.shift) & mask;
    const uint32_t dc = (d >> f.shift) & mask;
    // The blend weight: the parameter (copies weigh 1), times the graph, times the alpha.
    int64_t weight = (O == kCopy) ? 1 : job.p;
    int shift = (O == kCopy) ? 0 : 8;
    if constexpr (Graph) {
      weight *= w;
      shift += 8;
    }
    if (a != 256) {
      weight *= a;
      shift += 8;
    }
    uint32_t r;
    if constexpr (O == kCopy || O == kBlend || O == kHalve) {
      r = Lerp(sc, dc, weight, shift);
    } else if constexpr (O == kAdd || O == kAddFull) {
      r = std::min<uint32_t>(mask, dc + AddAmount<O, Graph>(sc, w, a, job));
    } else if constexpr (O == kSub || O == kSubFull) {
      const uint32_t v = AddAmount<O, Graph>(sc, w, a, job);
      r = dc > v ? dc - v : 0;
    } else {
      // Multiply: the graph and the alpha scale the source, the product is over the field's range.
      uint64_t prod = static_cast<uint64_t>(sc) * dc;
      int mshift = f.width;
      if constexpr (Graph) {
        prod *= static_cast<uint64_t>(w);
        mshift += 8;
      }
      if (a != 256) {
        prod *= static_cast<uint64_t>(a);
        mshift += 8;
      }
      r = static_cast<uint32_t>(prod >> mshift);
    }
    out |= r << f.shift;
  }
  return out;
}

// The opaque 32-bit halving loop, two pixels a step with the same masks as the scalar form.
void HalveLines32(const PutJob& job) {
  const uint8_t* srcLine = job.src;
  uint8_t* destLine = job.dest;
  for (int row = 0; row < job.height; ++row) {
    int col = 0;
#if defined(__SSE2__)
    const __m128i mask = _mm_set1_epi32(0x7F7F7F);
    for (; col + 2 <= job.width; col += 2) {
      const __m128i s = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(srcLine + 4 * col));
      const __m128i d = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(destLine + 4 * col));
      const __m128i r = _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(s, 1), mask),
                                      _mm_and_si128(_mm_srli_epi32(d, 1), mask));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(destLine + 4 * col), r);
    }
#endif
    for (; col < job.width; ++col) {
      uint32_t s, d;
      std::memcpy(&s, srcLine + 4 * col, 4);
      std::memcpy(&d, destLine + 4 * col, 4);
      const uint32_t r = ((s >> 1) & 0x7F7F7Fu) + ((d >> 1) & 0x7F7F7Fu);
      std::memcpy(destLine + 4 * col, &r, 4);
    }
    srcLine += job.srcPitch;
    destLine += job.destPitch;
  }
}

template <int Kind, bool Palette, Op O, bool Graph, bool Bright, Transparency T>
void PutLoop(const PutJob& job) {
  static_assert(!(Palette && T == kAlphaChannel), "palette images carry no alpha");
  if constexpr (Kind == kKindColor32 && !Palette && O == kHalve && !Graph && !Bright &&
                T == kOpaque) {
    HalveLines32(job);
    return;
  }
  // A 16-bit source with alpha takes four bytes a pixel.
  constexpr int kSrcBytes = Palette ? 1 : (Kind == kKindColor32 || T == kAlphaChannel) ? 4 : 2;
  constexpr int kDestBytes = Kind == kKindColor32 ? 4 : 2;
  const uint8_t* srcLine = job.src;
  uint8_t* destLine = job.dest;
  const uint8_t* graphLine = job.graph;
  for (int row = 0; row < job.height; ++row) {
    for (int col = 0; col < job.width; ++col) {
      uint32_t raw;
      if constexpr (kSrcBytes == 1) {
        raw = srcLine[col];
      } else if constexpr (kSrcBytes == 2) {
        uint16_t v;
        std::memcpy(&v, srcLine + 2 * col, 2);
        raw = v;
      } else {
        std::memcpy(&raw, srcLine + 4 * col, 4);
      }
      if constexpr (T == kKey) {
        if (raw == job.key) continue;
      }
      int a = 256;
      if constexpr (T == kAlphaChannel) {
        const int alpha = static_cast<int>((raw >> (Kind == kKindColor32 ? 24 : 16)) & 0xFF);
        if (alpha == 0) continue;
        if (alpha != 255) a = alpha;
      }
      uint32_t s = Palette ? gScratchPalette[raw] : raw;
      s &= Kind == kKindColor32 ? 0xFFFFFFu : 0xFFFFu;
      if constexpr (Bright) {
        const Field* fields = Kind == kKindColor32 ? kFields32 : kFields16;
        uint32_t lit = 0;
        for (int i = 0; i < 3; ++i) {
          const uint32_t mask = (1u << fields[i].width) - 1;
          lit |= job.brightRow[i][(s >> fields[i].shift) & mask] << fields[i].shift;
        }
        s = lit;
      }
      const int w = Graph ? job.graphTable[graphLine[col]] : 0;
      uint8_t* out = destLine + kDestBytes * col;
      if constexpr (Kind == kKindColor32) {
        uint32_t d;
        std::memcpy(&d, out, 4);
        const uint32_t v = Combine<Kind, O, Graph>(s, d & 0xFFFFFFu, w, a, job);
        std::memcpy(out, &v, 4);
      } else {
        uint16_t d;
        std::memcpy(&d, out, 2);
        const uint16_t v = static_cast<uint16_t>(Combine<Kind, O, Graph>(s, d, w, a, job));
        std::memcpy(out, &v, 2);
      }
    }
    srcLine += job.srcPitch;
    destLine += job.destPitch;
    if constexpr (Graph) graphLine += job.graphPitch;
  }
}

using PutFn = void (*)(const PutJob&);

// The switch over the axes, written once with templates: each level fixes one axis.
template <int Kind, bool Palette, Op O, bool Graph, bool Bright>
PutFn PickTransparency(Transparency t) {
  switch (t) {
    case kOpaque:
      return &PutLoop<Kind, Palette, O, Graph, Bright, kOpaque>;
    case kKey:
      return &PutLoop<Kind, Palette, O, Graph, Bright, kKey>;
    case kAlphaChannel:
      if constexpr (Palette)
        return nullptr;
      else
        return &PutLoop<Kind, Palette, O, Graph, Bright, kAlphaChannel>;
  }
  return nullptr;
}

template <int Kind, bool Palette, Op O>
PutFn PickGraphAndBrightness(bool graph, bool bright, Transparency t) {
  if (graph) {
    return bright ? PickTransparency<Kind, Palette, O, true, true>(t)
                  : PickTransparency<Kind, Palette, O, true, false>(t);
  }
  return bright ? PickTransparency<Kind, Palette, O, false, true>(t)
                : PickTransparency<Kind, Palette, O, false, false>(t);
}

template <int Kind, bool Palette>
PutFn PickOp(Op op, bool graph, bool bright, Transparency t) {
  switch (op) {
    case kCopy:
      return PickGraphAndBrightness<Kind, Palette, kCopy>(graph, bright, t);
    case kBlend:
      return PickGraphAndBrightness<Kind, Palette, kBlend>(graph, bright, t);
    case kHalve:
      return PickGraphAndBrightness<Kind, Palette, kHalve>(false, bright, t);
    case kAdd:
      return PickGraphAndBrightness<Kind, Palette, kAdd>(graph, bright, t);
    case kAddFull:
      return PickGraphAndBrightness<Kind, Palette, kAddFull>(false, bright, t);
    case kSub:
      return PickGraphAndBrightness<Kind, Palette, kSub>(graph, bright, t);
    case kSubFull:
      return PickGraphAndBrightness<Kind, Palette, kSubFull>(false, bright, t);
    case kMultiply:
      return PickGraphAndBrightness<Kind, Palette, kMultiply>(graph, bright, t);
  }
  return nullptr;
}

PutFn PickPutLoop(int kind, bool palette, Op op, bool graph, bool bright, Transparency t) {
  if (kind == kKindColor32) {
    return palette ? PickOp<kKindColor32, true>(op, graph, bright, t)
                   : PickOp<kKindColor32, false>(op, graph, bright, t);
  }
  return palette ? PickOp<kKindColor16, true>(op, graph, bright, t)
                 : PickOp<kKindColor16, false>(op, graph, bright, t);
}

// The operation for a blend mode and parameter, or false when nothing is to be drawn.
bool ClassifyBlend(int mode, int p, bool graph, Op* op) {
  if (mode < 0 || mode > 4 || p < 0 || p > 255) return false;
  if (p == 0 && (mode == 1 || mode == 2 || mode == 3)) return false;
  switch (mode) {
    case 0:
      *op = kCopy;
      return true;
    case 1:
      *op = p == 255 ? kCopy : (p == 128 && !graph) ? kHalve : kBlend;
      return true;
    case 2:
      *op = p == 255 && !graph ? kAddFull : kAdd;
      return true;
    case 3:
      *op = p == 255 && !graph ? kSubFull : kSub;
      return true;
    default:
      *op = kMultiply;
      return true;
  }
}

}  // namespace

void PutMemImg(MEMIMG* dest, const MEMIMG& src, int x, int y, int transparent,
               const MEMIMG* blendGraph) {
  if (dest == nullptr || dest->magic != kMemImgMagic || src.magic != kMemImgMagic) return;
  const int kind = src.formatKind;
  if (kind != dest->formatKind || (kind != kKindColor16 && kind != kKindColor32)) return;
  if (dest->usesPalette || dest->hasAlpha) return;
  const bool graph = blendGraph != nullptr;
  if (graph && (blendGraph->magic != kMemImgMagic || blendGraph->formatKind != kKindChannel8 ||
                blendGraph->width < src.width || blendGraph->height < src.height))
    return;

  const DrawState& state = gDrawState;
  Op op;
  if (!ClassifyBlend(state.blendMode, state.blendParam, graph, &op)) return;

  // Clip to the draw area, and to the destination itself in case the area outgrew it.
  Rect area = {0, 0, dest->width, dest->height};
  ClipRectBody(&area, &state.drawArea);
  Rect r = {x, y, x + src.width, y + src.height};
  ClipRectBody(&r, &area);
  if (r.left >= r.right || r.top >= r.bottom) return;
  const int srcX = r.left - x;
  const int srcY = r.top - y;

  const bool palette = src.usesPalette != 0;
  const Transparency t = (!palette && src.hasAlpha) ? kAlphaChannel : transparent ? kKey : kOpaque;
  const bool bright = (state.brightness & 0xFFFFFFu) != 0xFFFFFFu;
  const PutFn loop = PickPutLoop(kind, palette, op, graph, bright, t);
  if (loop == nullptr) return;

  const BlendTables& tables = GetBlendTables();
  const int srcBytes = MemImgBytesPerPixel(src);
  const int destBytes = MemImgBytesPerPixel(*dest);
  PutJob job{};
  job.dest = static_cast<uint8_t*>(dest->pixels) + r.top * dest->pitch + r.left * destBytes;
  job.destPitch = dest->pitch;
  job.src = static_cast<const uint8_t*>(src.pixels) + srcY * src.pitch + srcX * srcBytes;
  job.srcPitch = src.pitch;
  if (graph) {
    job.graph = static_cast<const uint8_t*>(blendGraph->pixels) + srcY * blendGraph->pitch + srcX;
    job.graphPitch = blendGraph->pitch;
  }
  job.width = r.right - r.left;
  job.height = r.bottom - r.top;
  job.key = src.colorKey;
  job.p = state.blendParam;
  job.scaleRow = tables.scale[state.blendParam];
  job.mixRow = &tables.mix6[state.blendParam / 4][0][0];
  job.brightRow[0] = tables.scale[state.brightness & 0xFF];
  job.brightRow[1] = tables.scale[(state.brightness >> 8) & 0xFF];
  job.brightRow[2] = tables.scale[(state.brightness >> 16) & 0xFF];
  job.graphTable = state.blendGraphTable;
  if (palette) {
    const int entryBytes = kind == kKindColor32 ? 4 : 2;
    for (int i = 0; i < 256; ++i) {
      uint32_t entry = 0;
      std::memcpy(&entry, src.palette + entryBytes * i, entryBytes);
      gScratchPalette[i] = entry;
    }
  }
  loop(job);
}

}  // namespace kumo
