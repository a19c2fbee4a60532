// What every software blit shares: classifying a request along the axes (formats, source kind,
// blend, blend graph, brightness, transparency), the per-pixel arithmetic of each combination,
// and the switch that turns a classification into one loop instantiated for exactly it.
// Each member supplies its own geometry as a loop template over a `Combo`.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kumo/render/blend_tables.h"
#include "kumo/render/mem_img.h"

namespace kumo {
namespace blit {

// Blend operations after the parameter has been classified: alpha 255 is a copy, alpha 128
// without a blend graph halves (plain blit only), add and subtract at 255 skip the scale table.
enum Op { kCopy, kBlend, kHalve, kAdd, kAddFull, kSub, kSubFull, kMultiply };
// How a source pixel may be transparent.
enum Transparency { kOpaque, kKey, kAlphaChannel };
// How 16-bit alpha blending looks fields up: the plain blit's 6-bit mix table, or the signed
// scale table the stretched, rotated and triangle members use.
enum Mix16 { kMixTable, kSignedTable };

// One combination of the axes, fixed at compile time.
template <int KindV, bool PaletteV, Op OpV, bool GraphV, bool BrightV, Transparency TV>
struct Combo {
  static constexpr int kKind = KindV;
  static constexpr bool kPalette = PaletteV;
  static constexpr Op kOp = OpV;
  static constexpr bool kGraph = GraphV;
  static constexpr bool kBright = BrightV;
  static constexpr Transparency kTransparency = TV;
  static_assert(!(PaletteV && TV == kAlphaChannel), "palette images carry no alpha");
  // A 16-bit source with alpha takes four bytes a pixel.
  static constexpr int kSrcBytes = PaletteV                                         ? 1
                                   : (KindV == kKindColor32 || TV == kAlphaChannel) ? 4
                                                                                    : 2;
  static constexpr int kDestBytes = KindV == kKindColor32 ? 4 : 2;
  static constexpr uint32_t kColourMask = KindV == kKindColor32 ? 0xFFFFFFu : 0xFFFFu;
};

// A classified request and the table rows its pixels use.
struct Blend {
  int kind;
  bool palette;
  Op op;
  bool graph;
  bool bright;
  Transparency transparency;
  uint32_t key;                  // raw pixel or palette index
  int p;                         // blend parameter
  const uint32_t* scaleRow;      // row p of the scale table
  const int32_t* signedRow;      // row p of the signed scale table, indexed by d + 255
  const uint8_t* mixRow;         // row p / 4 of the 6-bit mix table, [s][d] flattened
  const uint32_t* brightRow[3];  // blue, green, red
  const uint8_t* graphTable;     // blend graph pixel -> weight
  const uint32_t* palette32;     // the scratch copy of the source palette
};

// Classifies a request between two images under the current draw state and copies a palette
// source's palette into the scratch palette. False when the request draws nothing: formats
// differ or are not colour formats, the destination has a palette or alpha, the blend graph is
// not an 8-bit image of at least `graphWidth` x `graphHeight`, or the blend draws nothing.
// `halving` allows the halving loop for parameter 128.
bool ClassifyBlit(const MEMIMG* dest, const MEMIMG& src, int transparent, const MEMIMG* graph,
                  int graphWidth, int graphHeight, bool halving, Blend* out);

// Whether a blit may draw into `dest`: an initialised colour image without palette or alpha.
bool IsBlitTarget(const MEMIMG* dest);

// The part of ClassifyBlit that reads only the draw state: the operation for the blend mode and
// parameter, the parameter's and the brightness's table rows and the graph table, for images of
// `kind`. False when the blend draws nothing. Members without a source image start from it.
bool ClassifyBlend(int kind, bool graph, bool halving, Blend* b);

// The draw area clipped to the destination itself, in case the area outgrew it.
Rect ClippedDrawArea(const MEMIMG& dest);

// The first byte of pixel (x, y) of an image.
inline uint8_t* PixelAddress(const MEMIMG& image, int x, int y) {
  return static_cast<uint8_t*>(image.pixels) + static_cast<ptrdiff_t>(y) * image.pitch +
         static_cast<ptrdiff_t>(x) * MemImgBytesPerPixel(image);
}

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
inline uint32_t AddAmount(uint32_t s, int w, int a, const Blend& b) {
  uint64_t v;
  int shift = 0;
  if constexpr (Graph) {
    v = static_cast<uint64_t>(s) * static_cast<uint64_t>(w) * static_cast<uint64_t>(b.p);
    shift = 16;
  } else if constexpr (O == kAddFull || O == kSubFull) {
    v = s;
  } else {
    v = b.scaleRow[s];
  }
  if (a != 256) {
    v *= static_cast<uint64_t>(a);
    shift += 8;
  }
  return static_cast<uint32_t>(v >> shift);
}

// The new destination pixel from source colour s (brightness applied), destination d, blend
// graph weight w and alpha a (256 when the pixel has no partial alpha).
template <int Kind, Op O, bool Graph, Mix16 M>
inline uint32_t Combine(uint32_t s, uint32_t d, int w, int a, const Blend& b) {
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
        const uint32_t sf = (s >> f.shift) & mask;
        const uint32_t df = (d >> f.shift) & mask;
        uint32_t r;
        if constexpr (M == kMixTable) {
          r = b.mixRow[(sf << 6) | df];
        } else {
          r = static_cast<uint32_t>(
              static_cast<int32_t>(df) +
              b.signedRow[static_cast<int32_t>(sf) - static_cast<int32_t>(df) + 255]);
        }
        out |= r << f.shift;
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
      v |= AddAmount<O, Graph>((s >> fields[i].shift) & mask, w, a, b) << fields[i].shift;
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
    int64_t weight = (O == kCopy) ? 1 : b.p;
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
      r = std::min<uint32_t>(mask, dc + AddAmount<O, Graph>(sc, w, a, b));
    } else if constexpr (O == kSub || O == kSubFull) {
      const uint32_t v = AddAmount<O, Graph>(sc, w, a, b);
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

// The source colour with the brightness applied.
template <int Kind>
inline uint32_t Brighten(uint32_t s, const Blend& b) {
  const Field* fields = Kind == kKindColor32 ? kFields32 : kFields16;
  uint32_t lit = 0;
  for (int i = 0; i < 3; ++i) {
    const uint32_t mask = (1u << fields[i].width) - 1;
    lit |= b.brightRow[i][(s >> fields[i].shift) & mask] << fields[i].shift;
  }
  return lit;
}

// Draws source pixel `srcPixel` onto `destPixel` under combination C, with blend graph pixel
// `graphPixel` (read only when C has a graph). Transparent pixels leave the destination alone.
template <class C, Mix16 M>
inline void DrawPixel(uint8_t* destPixel, const uint8_t* srcPixel, uint8_t graphPixel,
                      const Blend& b) {
  uint32_t raw;
  if constexpr (C::kSrcBytes == 1) {
    raw = *srcPixel;
  } else if constexpr (C::kSrcBytes == 2) {
    uint16_t v;
    std::memcpy(&v, srcPixel, 2);
    raw = v;
  } else {
    std::memcpy(&raw, srcPixel, 4);
  }
  if constexpr (C::kTransparency == kKey) {
    if (raw == b.key) return;
  }
  int a = 256;
  if constexpr (C::kTransparency == kAlphaChannel) {
    const int alpha = static_cast<int>((raw >> (C::kKind == kKindColor32 ? 24 : 16)) & 0xFF);
    if (alpha == 0) return;
    if (alpha != 255) a = alpha;
  }
  uint32_t s = C::kPalette ? b.palette32[raw] : raw;
  s &= C::kColourMask;
  if constexpr (C::kBright) s = Brighten<C::kKind>(s, b);
  const int w = C::kGraph ? b.graphTable[graphPixel] : 0;
  if constexpr (C::kKind == kKindColor32) {
    uint32_t d;
    std::memcpy(&d, destPixel, 4);
    const uint32_t v = Combine<C::kKind, C::kOp, C::kGraph, M>(s, d & 0xFFFFFFu, w, a, b);
    std::memcpy(destPixel, &v, 4);
  } else {
    uint16_t d;
    std::memcpy(&d, destPixel, 2);
    const uint16_t v =
        static_cast<uint16_t>(Combine<C::kKind, C::kOp, C::kGraph, M>(s, d, w, a, b));
    std::memcpy(destPixel, &v, 2);
  }
}

// The switch over the axes, written once: each level fixes one axis. `Member` provides
// `using Fn = ...;`, `template <class C> static Fn Loop();` returning its loop for C, and
// `static constexpr bool kHalving` telling whether it has a halving loop.
template <class Member, int Kind, bool Palette, Op O, bool Graph, bool Bright>
typename Member::Fn PickTransparency(Transparency t) {
  switch (t) {
    case kOpaque:
      return Member::template Loop<Combo<Kind, Palette, O, Graph, Bright, kOpaque>>();
    case kKey:
      return Member::template Loop<Combo<Kind, Palette, O, Graph, Bright, kKey>>();
    case kAlphaChannel:
      if constexpr (Palette)
        return nullptr;
      else
        return Member::template Loop<Combo<Kind, Palette, O, Graph, Bright, kAlphaChannel>>();
  }
  return nullptr;
}

// `WithGraph` false: operations classified only without a blend graph (halving, add and
// subtract at 255) are never instantiated with one.
template <class Member, int Kind, bool Palette, Op O, bool WithGraph = true>
typename Member::Fn PickGraphAndBrightness(const Blend& b) {
  if constexpr (WithGraph) {
    if (b.graph) {
      return b.bright ? PickTransparency<Member, Kind, Palette, O, true, true>(b.transparency)
                      : PickTransparency<Member, Kind, Palette, O, true, false>(b.transparency);
    }
  } else {
    if (b.graph) return nullptr;
  }
  return b.bright ? PickTransparency<Member, Kind, Palette, O, false, true>(b.transparency)
                  : PickTransparency<Member, Kind, Palette, O, false, false>(b.transparency);
}

template <class Member, int Kind, bool Palette>
typename Member::Fn PickOp(const Blend& b) {
  switch (b.op) {
    case kCopy:
      return PickGraphAndBrightness<Member, Kind, Palette, kCopy>(b);
    case kBlend:
      return PickGraphAndBrightness<Member, Kind, Palette, kBlend>(b);
    case kHalve:
      if constexpr (Member::kHalving)
        return PickGraphAndBrightness<Member, Kind, Palette, kHalve, false>(b);
      else
        return nullptr;
    case kAdd:
      return PickGraphAndBrightness<Member, Kind, Palette, kAdd>(b);
    case kAddFull:
      return PickGraphAndBrightness<Member, Kind, Palette, kAddFull, false>(b);
    case kSub:
      return PickGraphAndBrightness<Member, Kind, Palette, kSub>(b);
    case kSubFull:
      return PickGraphAndBrightness<Member, Kind, Palette, kSubFull, false>(b);
    case kMultiply:
      return PickGraphAndBrightness<Member, Kind, Palette, kMultiply>(b);
  }
  return nullptr;
}

// The loop of `Member` for a classified request, or null when there is none.
template <class Member>
typename Member::Fn PickLoop(const Blend& b) {
  if (b.kind == kKindColor32) {
    return b.palette ? PickOp<Member, kKindColor32, true>(b)
                     : PickOp<Member, kKindColor32, false>(b);
  }
  return b.palette ? PickOp<Member, kKindColor16, true>(b) : PickOp<Member, kKindColor16, false>(b);
}

}  // namespace blit
}  // namespace kumo
