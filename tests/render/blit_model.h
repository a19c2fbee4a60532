// A per-pixel model of the software blits, written from the blend formulas with plain
// divisions, the test images the blit tests draw with, and a runner that checks one drawn
// request against the model.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>

#include "kumo/render/draw_state.h"
#include "kumo/render/mem_img.h"

namespace kumo {

// How the test source carries transparency.
enum SourceKind { kOpaqueSrc, kKeySrc, kAlphaSrc, kPaletteSrc, kPaletteKeySrc };

struct Image {
  MEMIMG m{};
  Image(int width, int height, int kind, int palette, int alpha, uint32_t key = 0) {
    EXPECT_EQ(CreateMemImg(&m, width, height, -1, key, kind, palette, alpha), 0);
  }
  ~Image() { ReleaseMemImg(&m); }
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  int Bytes() const { return MemImgBytesPerPixel(m); }
  uint32_t Get(int x, int y) const {
    uint32_t v = 0;
    std::memcpy(&v, static_cast<const uint8_t*>(m.pixels) + y * m.pitch + x * Bytes(), Bytes());
    return v;
  }
  void Set(int x, int y, uint32_t v) {
    std::memcpy(static_cast<uint8_t*>(m.pixels) + y * m.pitch + x * Bytes(), &v, Bytes());
  }
};

// A per-pixel model of one blit, written straight from the blend formulas with plain
// divisions. Returns false when the pixel is not drawn.
struct Model {
  int kind, mode, p;
  uint32_t bright;
  bool graph;
  // false for the members other than the plain blit: no halving, and 16-bit alpha through the
  // signed scale table.
  bool plainBlit = true;

  // s: colour after palette lookup; a: alpha 0..255 or -1 without an alpha channel.
  uint32_t Pixel(uint32_t s, uint32_t d, int w, int a) const {
    struct F {
      int shift, width;
    };
    const F f32[3] = {{0, 8}, {8, 8}, {16, 8}};
    const F f16[3] = {{0, 5}, {5, 6}, {11, 5}};
    const F* fields = kind == kKindColor32 ? f32 : f16;
    const bool partial = a > 0 && a < 255;
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) {
      const int64_t max = (1 << fields[i].width) - 1;
      const int64_t bc = (bright >> (8 * i)) & 0xFF;
      const int64_t sc = ((s >> fields[i].shift) & max) * bc / 255;
      const int64_t dc = (d >> fields[i].shift) & max;
      // Extra weights (graph, alpha) and their divisor.
      int64_t extra = 1, div = 1;
      if (graph) extra *= w, div *= 256;
      if (partial) extra *= a, div *= 256;
      const auto floorDiv = [](int64_t n, int64_t q) {
        return n >= 0 ? n / q : -((-n + q - 1) / q);
      };
      int64_t r = 0;
      const int m = (mode == 1 && p == 255) ? 0 : mode;
      if (m == 0) {
        r = dc + floorDiv((sc - dc) * extra, div);
      } else if (m == 1) {
        if (plainBlit && p == 128 && !graph && !partial) {
          r = (sc >> 1) + (dc >> 1);
        } else if (plainBlit && kind == kKindColor16 && !graph && !partial) {
          r = (sc * (p / 4) + dc * (63 - p / 4)) / 63;
        } else if (kind == kKindColor16 && !graph && !partial) {
          r = dc + (sc - dc) * p / 255;  // truncated toward zero, as the signed table is
        } else {
          r = dc + floorDiv((sc - dc) * p * extra, 256 * div);
        }
      } else if (m == 2 || m == 3) {
        const int64_t v = graph ? sc * w * p * (partial ? a : 1) / (65536 * (partial ? 256 : 1))
                                : (sc * p / 255) * (partial ? a : 1) / (partial ? 256 : 1);
        r = m == 2 ? std::min(max, dc + v) : std::max<int64_t>(0, dc - v);
      } else {
        r = sc * dc * extra / ((max + 1) * div);
      }
      out |= static_cast<uint32_t>(r) << fields[i].shift;
    }
    return out;
  }
};

// What the model draws for source pixel (sx, sy) over destination pixel d; false when the
// pixel is transparent and d stays.
inline bool ModelSourcePixel(const Image& src, int sx, int sy, int transparent, const Image* graph,
                             const Model& model, uint32_t d, uint32_t* out) {
  const uint32_t colourMask = model.kind == kKindColor32 ? 0xFFFFFFu : 0xFFFFu;
  const uint32_t raw = src.Get(sx, sy);
  int a = -1;
  if (src.m.hasAlpha) a = (raw >> (model.kind == kKindColor32 ? 24 : 16)) & 0xFF;
  if (a == 0 || (a < 0 && transparent && raw == src.m.colorKey)) return false;
  uint32_t s = raw;
  if (src.m.usesPalette)
    std::memcpy(&s, src.m.palette + raw * (model.kind == kKindColor32 ? 4 : 2),
                model.kind == kKindColor32 ? 4 : 2);
  const int w = graph ? gDrawState.blendGraphTable[graph->Get(sx, sy)] : 0;
  *out = model.Pixel(s & colourMask, d & colourMask, w, a);
  return true;
}

// Whether a request under (mode, p) draws at all: parameter 0 in modes 1 to 3 does not.
inline bool ModelDraws(const Model& model) {
  return !((model.mode >= 1 && model.mode <= 3) && model.p == 0);
}

// Got against expected: exact on the colour bits, or within one unit a field for 16-bit add.
inline void ExpectPixelNear(const Model& model, uint32_t got, uint32_t expected) {
  const uint32_t colourMask = model.kind == kKindColor32 ? 0xFFFFFFu : 0xFFFFu;
  if (model.kind == kKindColor16 && model.mode == 2) {
    const int shifts[3] = {0, 5, 11}, masks[3] = {31, 63, 31};
    for (int i = 0; i < 3; ++i) {
      const int g = (got >> shifts[i]) & masks[i], e = (expected >> shifts[i]) & masks[i];
      EXPECT_LE(std::abs(g - e), 1) << "field " << i;
    }
  } else {
    EXPECT_EQ(got & colourMask, expected & colourMask);
  }
}

inline void FillRandom(Image* image, std::mt19937* rng) {
  for (int y = 0; y < image->m.height; ++y)
    for (int x = 0; x < image->m.width; ++x) image->Set(x, y, (*rng)());
}

// A source of the given kind whose pixels (and palette) are random, with the key present and,
// for alpha sources, alpha 0, 255 and partial values all present.
inline void MakeSource(Image* src, SourceKind sk, int kind, std::mt19937* rng) {
  FillRandom(src, rng);
  if (src->m.usesPalette) {
    for (int i = 0; i < 1024; ++i) src->m.palette[i] = static_cast<uint8_t>((*rng)());
  }
  if (sk == kAlphaSrc) {
    const int alphaShift = kind == kKindColor32 ? 24 : 16;
    const uint32_t alphas[] = {0, 255, 1, 128, 254, 77};
    for (int y = 0; y < src->m.height; ++y)
      for (int x = 0; x < src->m.width; ++x) {
        const uint32_t colour = src->Get(x, y) & (kind == kKindColor32 ? 0xFFFFFFu : 0xFFFFu);
        src->Set(x, y, colour | alphas[(x + 3 * y) % 6] << alphaShift);
      }
  }
  if (sk == kKeySrc || sk == kPaletteKeySrc) {
    src->Set(src->m.width - 1, 0, src->m.colorKey);
    src->Set(0, src->m.height - 1, src->m.colorKey);
  }
}

// Every destination pixel equals the model: drawn inside the clipped rectangle, untouched
// outside.
inline void ExpectMatchesModel(const Image& before, const Image& after, const Image& src, int x,
                               int y, int transparent, const Image* graph, const Model& model) {
  const Rect area = gDrawState.drawArea;
  for (int dy = 0; dy < before.m.height; ++dy) {
    for (int dx = 0; dx < before.m.width; ++dx) {
      const uint32_t d = before.Get(dx, dy);
      const int sx = dx - x, sy = dy - y;
      const bool inside = dx >= area.left && dx < area.right && dy >= area.top &&
                          dy < area.bottom && sx >= 0 && sy >= 0 && sx < src.m.width &&
                          sy < src.m.height;
      uint32_t expected = d;
      const bool drawn = inside && ModelDraws(model) &&
                         ModelSourcePixel(src, sx, sy, transparent, graph, model, d, &expected);
      const uint32_t got = after.Get(dx, dy);
      SCOPED_TRACE(testing::Message() << "pixel " << dx << "," << dy << " drawn " << drawn);
      if (!drawn) {
        ASSERT_EQ(got, d);
      } else {
        ExpectPixelNear(model, got, expected);
        if (testing::Test::HasFailure()) return;
      }
    }
  }
}

// One request of a model test: formats, blend, source kind, position and draw area.
struct Request {
  int kind, mode, p;
  SourceKind sk;
  uint32_t bright;
  bool graph;
  int x, y, srcW, srcH;
  Rect area;
};

// Draws one request onto a random destination with `draw` (destination, source, transparency
// flag, blend graph or null), which places the source's top-left pixel at (q.x, q.y), and checks
// it against the model; `plainBlit` as in Model.
template <class Draw>
void RunModelRequest(const Request& q, bool plainBlit, Draw draw, std::mt19937* rng) {
  SCOPED_TRACE(testing::Message() << "kind " << q.kind << " mode " << q.mode << " p " << q.p
                                  << " source " << q.sk << " bright " << std::hex << q.bright
                                  << std::dec << " graph " << q.graph << " at " << q.x << ","
                                  << q.y);
  const bool palette = q.sk == kPaletteSrc || q.sk == kPaletteKeySrc;
  const uint32_t key = palette ? 7u : q.kind == kKindColor32 ? 0x12345678u : 0xBEEFu;
  Image src(q.srcW, q.srcH, q.kind, palette, q.sk == kAlphaSrc, key);
  MakeSource(&src, q.sk, q.kind, rng);
  Image dest(9, 7, q.kind, 0, 0), before(9, 7, q.kind, 0, 0);
  FillRandom(&dest, rng);
  std::memcpy(before.m.pixels, dest.m.pixels, static_cast<size_t>(dest.m.pitch) * 7);
  Image graph(q.srcW + 1, q.srcH, kKindChannel8, 0, 0);
  FillRandom(&graph, rng);
  for (uint8_t& entry : gDrawState.blendGraphTable) entry = static_cast<uint8_t>((*rng)());
  gDrawState.blendMode = q.mode;
  gDrawState.blendParam = q.p;
  gDrawState.brightness = q.bright;
  gDrawState.drawArea = q.area;
  const int transparent = q.sk == kKeySrc || q.sk == kPaletteKeySrc;
  draw(&dest.m, src.m, transparent, q.graph ? &graph.m : nullptr);
  ExpectMatchesModel(before, dest, src, q.x, q.y, transparent, q.graph ? &graph : nullptr,
                     {q.kind, q.mode, q.p, q.bright, q.graph, plainBlit});
}

}  // namespace kumo
