// A per-pixel model of the software blits, written from the blend formulas with plain
// divisions, and the test images the blit tests draw with.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <random>
#include <vector>

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
  // true for the fill, which lights 16-bit fields as field x byte >> 8 (white leaves them alone).
  bool fieldBrightShift = false;

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
      const int64_t sf = (s >> fields[i].shift) & max;
      const bool shiftBright = fieldBrightShift && kind == kKindColor16 && bright != 0xFFFFFFu;
      const int64_t sc = shiftBright ? sf * bc >> 8 : sf * bc / 255;
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

// A test that changes the draw state; it is restored afterwards.
class DrawStateTest : public testing::Test {
 protected:
  void SetUp() override { saved_ = gDrawState; }
  void TearDown() override { gDrawState = saved_; }
  DrawState saved_{};
};

inline void SetDrawState(int mode, int p, uint32_t bright, Rect area = {0, 0, 640, 480}) {
  gDrawState.blendMode = mode;
  gDrawState.blendParam = p;
  gDrawState.brightness = bright;
  gDrawState.drawArea = area;
}

// All bytes of an image's lines, to show that a request left it alone.
inline std::vector<uint8_t> Pixels(const Image& image) {
  const uint8_t* first = static_cast<const uint8_t*>(image.m.pixels);
  return std::vector<uint8_t>(first, first + static_cast<size_t>(image.m.pitch) * image.m.height);
}

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

// The axes a blit request chooses along, as the tests vary them.
struct BlendAxes {
  int kind, mode, p;
  SourceKind sk;
  uint32_t bright;
  bool graph;
  Model ToModel() const { return {kind, mode, p, bright, graph}; }
};

inline std::ostream& operator<<(std::ostream& out, const BlendAxes& a) {
  return out << "kind " << a.kind << " mode " << a.mode << " p " << a.p << " source " << a.sk
             << " bright " << std::hex << a.bright << std::dec << " graph " << a.graph;
}

// Calls `visit` with every combination of the axes until it returns false.
template <class Visit>
void ForEveryAxes(Visit visit) {
  for (int kind : {kKindColor16, kKindColor32})
    for (int mode = 0; mode <= 4; ++mode)
      for (int p : {0, 128, 255, 77})
        for (SourceKind sk : {kOpaqueSrc, kKeySrc, kAlphaSrc, kPaletteSrc, kPaletteKeySrc})
          for (uint32_t bright : {0xFFFFFFu, 0x80C040u})
            for (bool graph : {false, true})
              if (!visit(BlendAxes{kind, mode, p, sk, bright, graph})) return;
}

inline int Pick(std::mt19937* rng, int lo, int hi) {
  return std::uniform_int_distribution<int>(lo, hi)(*rng);
}

// A draw area anywhere around a destination of the given size, empty ones included.
inline Rect RandomArea(int destW, int destH, std::mt19937* rng) {
  const int l = Pick(rng, -2, destW), t = Pick(rng, -2, destH);
  return {l, t, l + Pick(rng, 0, destW + 1), t + Pick(rng, 0, destH + 1)};
}

// A random combination of the axes, with the parameters 128 and 255 often.
inline BlendAxes RandomAxes(std::mt19937* rng) {
  const auto pick = [&](int lo, int hi) { return Pick(rng, lo, hi); };
  const SourceKind kinds[] = {kOpaqueSrc, kKeySrc, kAlphaSrc, kPaletteSrc, kPaletteKeySrc};
  BlendAxes a{};
  a.kind = pick(0, 1);
  a.mode = pick(0, 4);
  a.p = pick(0, 3) == 0 ? (pick(0, 1) ? 128 : 255) : pick(0, 255);
  a.sk = kinds[pick(0, 4)];
  a.bright = pick(0, 1) ? 0xFFFFFFu : (*rng)() & 0xFFFFFFu;
  a.graph = pick(0, 1);
  return a;
}

// The images of one random request: a source of the axes' kind (key and alpha values present),
// a random destination with a copy of how it was, and a random blend graph one column wider
// than the source; the blend graph threshold table is made random too. The draw state is set
// to the axes and `area`.
struct BlitScene {
  const BlendAxes axes;
  int transparent;
  Image src, dest, before, graph;
  BlitScene(const BlendAxes& a, int srcW, int srcH, int destW, int destH, Rect area,
            std::mt19937* rng)
      : axes(a),
        transparent(a.sk == kKeySrc || a.sk == kPaletteKeySrc),
        src(srcW, srcH, a.kind, a.sk == kPaletteSrc || a.sk == kPaletteKeySrc, a.sk == kAlphaSrc,
            a.sk == kPaletteSrc || a.sk == kPaletteKeySrc ? 7u
            : a.kind == kKindColor32                      ? 0x12345678u
                                                          : 0xBEEFu),
        dest(destW, destH, a.kind, 0, 0),
        before(destW, destH, a.kind, 0, 0),
        graph(srcW + 1, srcH, kKindChannel8, 0, 0) {
    MakeSource(&src, a.sk, a.kind, rng);
    FillRandom(&dest, rng);
    std::memcpy(before.m.pixels, dest.m.pixels, static_cast<size_t>(dest.m.pitch) * destH);
    FillRandom(&graph, rng);
    for (uint8_t& entry : gDrawState.blendGraphTable) entry = static_cast<uint8_t>((*rng)());
    SetDrawState(a.mode, a.p, a.bright, area);
  }
  const MEMIMG* Graph() const { return axes.graph ? &graph.m : nullptr; }

  // Every destination pixel against the model: where `sourceOf(dx, dy, &sx, &sy)` finds the
  // source pixel shown inside the draw area, the model's result over the old pixel; elsewhere the
  // old pixel.
  template <class SourceOf>
  void ExpectMatchesModel(const Model& model, SourceOf sourceOf) const {
    const Rect area = gDrawState.drawArea;
    for (int dy = 0; dy < dest.m.height; ++dy) {
      for (int dx = 0; dx < dest.m.width; ++dx) {
        const uint32_t d = before.Get(dx, dy);
        int sx = 0, sy = 0;
        const bool inside = dx >= area.left && dx < area.right && dy >= area.top &&
                            dy < area.bottom && sourceOf(dx, dy, &sx, &sy);
        uint32_t expected = d;
        const bool drawn = inside && ModelDraws(model) &&
                           ModelSourcePixel(src, sx, sy, transparent, axes.graph ? &graph : nullptr,
                                            model, d, &expected);
        SCOPED_TRACE(testing::Message() << "pixel " << dx << "," << dy << " drawn " << drawn);
        if (!drawn) {
          ASSERT_EQ(dest.Get(dx, dy), d);
        } else {
          ExpectPixelNear(model, dest.Get(dx, dy), expected);
          if (testing::Test::HasFailure()) return;
        }
      }
    }
  }
};

}  // namespace kumo
