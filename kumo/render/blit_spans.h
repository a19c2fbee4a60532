// Vector kernels for the commonest lines of the plain blit: copies, keyed copies, sources with
// an alpha channel, alpha blending, halving, and add and subtract at full strength, without a
// palette, a blend graph or a brightness. Each computes exactly what the per-pixel arithmetic
// computes, several pixels a step with SSE2; the caller draws the pixels left at the end of a
// line one at a time.
#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#include "kumo/render/blit_pixel.h"

namespace kumo {
namespace blit {

// Whether combination C has a span kernel.
template <class C>
constexpr bool kHasSpan = !C::kPalette && !C::kGraph && !C::kBright &&
                          ((C::kTransparency != kAlphaChannel &&
                            (C::kOp == kCopy || C::kOp == kBlend || C::kOp == kHalve ||
                             C::kOp == kAddFull || C::kOp == kSubFull)) ||
                           (C::kTransparency == kAlphaChannel && C::kOp == kCopy));

namespace span {

inline __m128i Load(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
// Where `keep` is all ones take `old`, elsewhere `fresh`.
inline __m128i Select(__m128i keep, __m128i old, __m128i fresh) {
  return _mm_or_si128(_mm_and_si128(keep, old), _mm_andnot_si128(keep, fresh));
}

// d + floor((s - d) * w / 256) on 16-bit lanes holding 8-bit values; w in 0..256. One signed
// high multiply: ((s - d) << 7) * (w << 1) >> 16 is that floor exactly.
inline __m128i Mix16Lanes(__m128i s, __m128i d, __m128i w) {
  const __m128i diff = _mm_slli_epi16(_mm_sub_epi16(s, d), 7);
  return _mm_add_epi16(d, _mm_mulhi_epi16(diff, _mm_slli_epi16(w, 1)));
}

// Four 32-bit pixels mixed by a weight per 16-bit lane (wLow for pixels 0 and 1, wHigh for 2
// and 3); the top byte comes out as 0.
inline __m128i Mix32(__m128i s, __m128i d, __m128i wLow, __m128i wHigh) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = Mix16Lanes(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), wLow);
  const __m128i high = Mix16Lanes(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), wHigh);
  return _mm_and_si128(_mm_packus_epi16(low, high), _mm_set1_epi32(0xFFFFFF));
}

// The 16-bit pixels' fields: red, green, blue at their own widths.
struct Fields16 {
  __m128i r, g, b;
};
inline Fields16 Split(__m128i x) {
  return {_mm_srli_epi16(x, 11), _mm_and_si128(_mm_srli_epi16(x, 5), _mm_set1_epi16(63)),
          _mm_and_si128(x, _mm_set1_epi16(31))};
}
inline __m128i Join(__m128i r, __m128i g, __m128i b) {
  return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 11), _mm_slli_epi16(g, 5)), b);
}

// The low 16 bits of each 32-bit lane of two vectors, as eight 16-bit lanes.
inline __m128i PackLow16(__m128i a, __m128i b) {
  return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(a, 16), 16),
                         _mm_srai_epi32(_mm_slli_epi32(b, 16), 16));
}

// Eight 16-bit pixels: the 6-bit mix table's (s * k + d * (63 - k)) / 63 on every field;
// ((n + 1) * 1040) >> 16 is n / 63 for every n the fields can give.
inline __m128i MixTable16(__m128i s, __m128i d, int k) {
  const __m128i wk = _mm_set1_epi16(static_cast<int16_t>(k));
  const __m128i wd = _mm_set1_epi16(static_cast<int16_t>(63 - k));
  const __m128i one = _mm_set1_epi16(1), m = _mm_set1_epi16(1040);
  const Fields16 fs = Split(s), fd = Split(d);
  const auto mix = [&](__m128i a, __m128i c) {
    const __m128i n = _mm_add_epi16(_mm_mullo_epi16(a, wk), _mm_mullo_epi16(c, wd));
    return _mm_mulhi_epu16(_mm_add_epi16(n, one), m);
  };
  return Join(mix(fs.r, fd.r), mix(fs.g, fd.g), mix(fs.b, fd.b));
}

// Eight 16-bit pixels mixed per field by a weight per pixel (0..256).
inline __m128i MixWeighted16(__m128i s, __m128i d, __m128i w) {
  const Fields16 fs = Split(s), fd = Split(d);
  return Join(Mix16Lanes(fs.r, fd.r, w), Mix16Lanes(fs.g, fd.g, w), Mix16Lanes(fs.b, fd.b, w));
}

// The packed 16-bit add, on 16-bit lanes: the carry out of red is found without a 17th bit.
inline __m128i AddPacked16(__m128i v, __m128i d) {
  const __m128i fieldMask = _mm_set1_epi16(static_cast<int16_t>(0xF7DF));
  const __m128i a = _mm_and_si128(v, fieldMask), b = _mm_and_si128(d, fieldMask);
  const __m128i x = _mm_add_epi16(a, b);
  const __m128i one = _mm_set1_epi16(1);
  const __m128i carryRed =
      _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_srli_epi16(a, 1), _mm_srli_epi16(b, 1)),
                                   _mm_and_si128(_mm_and_si128(a, b), one)),
                     15);
  const __m128i lowCarries = _mm_and_si128(x, _mm_set1_epi16(0x0820));
  const __m128i saturate =
      _mm_or_si128(_mm_sub_epi16(lowCarries, _mm_srli_epi16(lowCarries, 5)),
                   _mm_and_si128(_mm_sub_epi16(_mm_setzero_si128(), carryRed),
                                 _mm_set1_epi16(static_cast<int16_t>(0xF800))));
  return _mm_or_si128(
      _mm_or_si128(saturate, _mm_and_si128(_mm_or_si128(d, v), _mm_set1_epi16(0x0820))), x);
}

// Eight 16-bit pixels: every field saturated at 0.
inline __m128i SubExact16(__m128i d, __m128i v) {
  __m128i out = _mm_setzero_si128();
  for (const int mask : {0xF800, 0x07E0, 0x001F}) {
    const __m128i m = _mm_set1_epi16(static_cast<int16_t>(mask));
    out = _mm_or_si128(out, _mm_subs_epu16(_mm_and_si128(d, m), _mm_and_si128(v, m)));
  }
  return out;
}

// Four 32-bit source pixels and the destination under the opaque or keyed operation O.
template <Op O>
inline __m128i Op32(__m128i s, __m128i d, const Blend& b) {
  if constexpr (O == kCopy) {
    return _mm_and_si128(s, _mm_set1_epi32(0xFFFFFF));
  } else if constexpr (O == kBlend) {
    const __m128i w = _mm_set1_epi16(static_cast<int16_t>(b.p));
    return Mix32(s, d, w, w);
  } else if constexpr (O == kHalve) {
    const __m128i m = _mm_set1_epi32(0x7F7F7F);
    return _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(s, 1), m),
                         _mm_and_si128(_mm_srli_epi32(d, 1), m));
  } else if constexpr (O == kAddFull) {
    return _mm_and_si128(_mm_adds_epu8(s, d), _mm_set1_epi32(0xFFFFFF));
  } else {
    static_assert(O == kSubFull);
    return _mm_and_si128(_mm_subs_epu8(d, s), _mm_set1_epi32(0xFFFFFF));
  }
}

// Eight 16-bit source pixels and the destination under the opaque or keyed operation O.
template <Op O>
inline __m128i Op16(__m128i s, __m128i d, const Blend& b) {
  if constexpr (O == kCopy) {
    return s;
  } else if constexpr (O == kBlend) {
    return MixTable16(s, d, b.p / 4);
  } else if constexpr (O == kHalve) {
    const __m128i m = _mm_set1_epi16(0x7BEF);
    return _mm_add_epi16(_mm_and_si128(_mm_srli_epi16(s, 1), m),
                         _mm_and_si128(_mm_srli_epi16(d, 1), m));
  } else if constexpr (O == kAddFull) {
    return AddPacked16(s, d);
  } else {
    static_assert(O == kSubFull);
    return SubExact16(d, s);
  }
}

}  // namespace span

// Draws the leading pixels of a line of `n` under combination C; returns how many it drew.
template <class C>
inline int DrawSpan(uint8_t* dest, const uint8_t* src, int n, const Blend& b) {
  using namespace span;
  static_assert(kHasSpan<C>);
  constexpr Transparency T = C::kTransparency;
  if constexpr (C::kOp == kCopy && T == kOpaque) {
    // Short lines (sprites) copy inline, without the cost of a call per line; the last block
    // may overlap the one before it.
    const int bytes = n * C::kDestBytes;
    if (bytes < 16 || bytes > 256) {
      std::memcpy(dest, src, static_cast<size_t>(bytes));
      return n;
    }
    for (int at = 0; at < bytes - 16; at += 16) Store(dest + at, Load(src + at));
    Store(dest + bytes - 16, Load(src + bytes - 16));
    return n;
  }
  int i = 0;
  if constexpr (C::kKind == kKindColor32 && T != kAlphaChannel) {
    const __m128i key = _mm_set1_epi32(static_cast<int32_t>(b.key));
    for (; i + 4 <= n; i += 4) {
      const __m128i s = Load(src + 4 * i), d = Load(dest + 4 * i);
      __m128i r = Op32<C::kOp>(s, d, b);
      if constexpr (T == kKey) r = Select(_mm_cmpeq_epi32(s, key), d, r);
      Store(dest + 4 * i, r);
    }
  } else if constexpr (C::kKind == kKindColor32) {
    // Alpha 0 keeps the destination, 255 copies, anything between weighs the source by a / 256.
    const __m128i alphaMax = _mm_set1_epi16(255), zero = _mm_setzero_si128();
    const __m128i colour = _mm_set1_epi32(0xFFFFFF);
    for (; i + 4 <= n; i += 4) {
      const __m128i s = Load(src + 4 * i), d = Load(dest + 4 * i);
      const __m128i sLow = _mm_unpacklo_epi8(s, zero), sHigh = _mm_unpackhi_epi8(s, zero);
      // Each pixel's alpha on its four lanes, 255 counted as 256.
      __m128i wLow = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sLow, 0xFF), 0xFF);
      __m128i wHigh = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sHigh, 0xFF), 0xFF);
      wLow = _mm_sub_epi16(wLow, _mm_cmpeq_epi16(wLow, alphaMax));
      wHigh = _mm_sub_epi16(wHigh, _mm_cmpeq_epi16(wHigh, alphaMax));
      const __m128i low = Mix16Lanes(sLow, _mm_unpacklo_epi8(d, zero), wLow);
      const __m128i high = Mix16Lanes(sHigh, _mm_unpackhi_epi8(d, zero), wHigh);
      const __m128i r = _mm_and_si128(_mm_packus_epi16(low, high), colour);
      // Alpha 0 leaves the whole pixel, its top byte too.
      const __m128i skip = _mm_cmpeq_epi32(_mm_srli_epi32(s, 24), zero);
      Store(dest + 4 * i, Select(skip, d, r));
    }
  } else if constexpr (T != kAlphaChannel) {
    // A key beyond 16 bits matches no pixel.
    const __m128i key = _mm_set1_epi16(static_cast<int16_t>(b.key));
    const __m128i keyValid = b.key <= 0xFFFFu ? _mm_set1_epi16(-1) : _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
      const __m128i s = Load(src + 2 * i), d = Load(dest + 2 * i);
      __m128i r = Op16<C::kOp>(s, d, b);
      if constexpr (T == kKey) r = Select(_mm_and_si128(_mm_cmpeq_epi16(s, key), keyValid), d, r);
      Store(dest + 2 * i, r);
    }
  } else {
    // 16-bit sources with alpha: the colour in the low half of each 32-bit pixel, the alpha
    // in the byte above it.
    const __m128i alphaMax = _mm_set1_epi16(255), byte = _mm_set1_epi32(0xFF);
    for (; i + 8 <= n; i += 8) {
      const __m128i s0 = Load(src + 4 * i), s1 = Load(src + 4 * i + 16);
      const __m128i d = Load(dest + 2 * i);
      const __m128i s = PackLow16(s0, s1);
      const __m128i a = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(s0, 16), byte),
                                        _mm_and_si128(_mm_srli_epi32(s1, 16), byte));
      const __m128i w = _mm_sub_epi16(a, _mm_cmpeq_epi16(a, alphaMax));
      const __m128i r = MixWeighted16(s, d, w);
      Store(dest + 2 * i, Select(_mm_cmpeq_epi16(a, _mm_setzero_si128()), d, r));
    }
  }
  return i;
}

}  // namespace blit
}  // namespace kumo
