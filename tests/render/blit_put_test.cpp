#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "kumo/render/blend_tables.h"
#include "kumo/render/blits.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/mem_img.h"

namespace kumo {
namespace {

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
        if (p == 128 && !graph && !partial) {
          r = (sc >> 1) + (dc >> 1);
        } else if (kind == kKindColor16 && !graph && !partial) {
          r = (sc * (p / 4) + dc * (63 - p / 4)) / 63;
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

// Every destination pixel equals the model: drawn inside the clipped rectangle, untouched
// outside. 16-bit add may miss by one on each field.
void ExpectMatchesModel(const Image& before, const Image& after, const Image& src, int x, int y,
                        int transparent, const Image* graph, const Model& model) {
  const Rect area = gDrawState.drawArea;
  const bool drawsAtAll = !((model.mode >= 1 && model.mode <= 3) && model.p == 0);
  const uint32_t colourMask = model.kind == kKindColor32 ? 0xFFFFFFu : 0xFFFFu;
  for (int dy = 0; dy < before.m.height; ++dy) {
    for (int dx = 0; dx < before.m.width; ++dx) {
      const uint32_t d = before.Get(dx, dy);
      uint32_t expected = d;
      const int sx = dx - x, sy = dy - y;
      const bool inside = dx >= area.left && dx < area.right && dy >= area.top &&
                          dy < area.bottom && sx >= 0 && sy >= 0 && sx < src.m.width &&
                          sy < src.m.height;
      bool drawn = false;
      if (inside && drawsAtAll) {
        const uint32_t raw = src.Get(sx, sy);
        int a = -1;
        if (src.m.hasAlpha) a = (raw >> (model.kind == kKindColor32 ? 24 : 16)) & 0xFF;
        const bool skipped = a == 0 || (a < 0 && transparent && raw == src.m.colorKey);
        if (!skipped) {
          uint32_t s = raw;
          if (src.m.usesPalette)
            std::memcpy(&s, src.m.palette + raw * (model.kind == kKindColor32 ? 4 : 2),
                        model.kind == kKindColor32 ? 4 : 2);
          const int w = graph ? gDrawState.blendGraphTable[graph->Get(sx, sy)] : 0;
          expected = model.Pixel(s & colourMask, d & colourMask, w, a);
          drawn = true;
        }
      }
      const uint32_t got = after.Get(dx, dy);
      SCOPED_TRACE(testing::Message() << "pixel " << dx << "," << dy << " drawn " << drawn);
      if (!drawn) {
        ASSERT_EQ(got, d);
      } else if (model.kind == kKindColor16 && model.mode == 2) {
        const int shifts[3] = {0, 5, 11}, masks[3] = {31, 63, 31};
        for (int i = 0; i < 3; ++i) {
          const int g = (got >> shifts[i]) & masks[i], e = (expected >> shifts[i]) & masks[i];
          ASSERT_LE(std::abs(g - e), 1) << "field " << i;
        }
      } else {
        ASSERT_EQ(got & colourMask, expected & colourMask);
      }
    }
  }
}

class PutMemImgTest : public testing::Test {
 protected:
  void SetUp() override { saved_ = gDrawState; }
  void TearDown() override { gDrawState = saved_; }
  static void SetState(int mode, int p, uint32_t bright, Rect area = {0, 0, 640, 480}) {
    gDrawState.blendMode = mode;
    gDrawState.blendParam = p;
    gDrawState.brightness = bright;
    gDrawState.drawArea = area;
  }
  DrawState saved_{};
};

void FillRandom(Image* image, std::mt19937* rng) {
  for (int y = 0; y < image->m.height; ++y)
    for (int x = 0; x < image->m.width; ++x) image->Set(x, y, (*rng)());
}

// A source of the given kind whose pixels (and palette) are random, with the key present and,
// for alpha sources, alpha 0, 255 and partial values all present.
void MakeSource(Image* src, SourceKind sk, int kind, std::mt19937* rng) {
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

struct Request {
  int kind, mode, p;
  SourceKind sk;
  uint32_t bright;
  bool graph;
  int x, y, srcW, srcH;
  Rect area;
};

// Draws one request onto a random destination and checks it against the model.
void RunRequest(const Request& q, std::mt19937* rng) {
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
  PutMemImg(&dest.m, src.m, q.x, q.y, transparent, q.graph ? &graph.m : nullptr);
  ExpectMatchesModel(before, dest, src, q.x, q.y, transparent, q.graph ? &graph : nullptr,
                     {q.kind, q.mode, q.p, q.bright, q.graph});
}

TEST_F(PutMemImgTest, EveryCombinationOfAxesMatchesTheModel) {
  std::mt19937 rng(1);
  for (int kind : {kKindColor16, kKindColor32})
    for (int mode = 0; mode <= 4; ++mode)
      for (int p : {0, 128, 255, 77})
        for (SourceKind sk : {kOpaqueSrc, kKeySrc, kAlphaSrc, kPaletteSrc, kPaletteKeySrc})
          for (uint32_t bright : {0xFFFFFFu, 0x80C040u})
            for (bool graph : {false, true}) {
              RunRequest({kind, mode, p, sk, bright, graph, 2, 1, 6, 4, {0, 0, 640, 480}}, &rng);
              if (HasFatalFailure()) return;
            }
}

TEST_F(PutMemImgTest, RandomRequestsMatchTheModel) {
  std::mt19937 rng(2024);
  const SourceKind kinds[] = {kOpaqueSrc, kKeySrc, kAlphaSrc, kPaletteSrc, kPaletteKeySrc};
  for (int i = 0; i < 400; ++i) {
    const auto pick = [&](int lo, int hi) {
      return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    Request q{};
    q.kind = pick(0, 1);
    q.mode = pick(0, 4);
    q.p = pick(0, 3) == 0 ? (pick(0, 1) ? 128 : 255) : pick(0, 255);
    q.sk = kinds[pick(0, 4)];
    q.bright = pick(0, 1) ? 0xFFFFFFu : rng() & 0xFFFFFFu;
    q.graph = pick(0, 1);
    q.srcW = pick(1, 12);
    q.srcH = pick(1, 9);
    q.x = pick(-12, 10);
    q.y = pick(-9, 8);
    const int l = pick(-2, 9), t = pick(-2, 7);
    q.area = {l, t, l + pick(0, 10), t + pick(0, 8)};
    RunRequest(q, &rng);
    if (HasFatalFailure()) return;
  }
}

// One 32-bit pixel s drawn over d under (mode, p).
uint32_t Draw32(int mode, int p, uint32_t s, uint32_t d) {
  Image src(1, 1, kKindColor32, 0, 0), dest(1, 1, kKindColor32, 0, 0);
  src.Set(0, 0, s);
  dest.Set(0, 0, d);
  gDrawState.blendMode = mode;
  gDrawState.blendParam = p;
  PutMemImg(&dest.m, src.m, 0, 0, 0, nullptr);
  return dest.Get(0, 0) & 0xFFFFFFu;
}

TEST_F(PutMemImgTest, NamedBlendResults) {
  SetState(0, 0, 0xFFFFFF);
  struct Case {
    int mode, p;
    uint32_t s, d, expected;
  };
  const Case cases[] = {
      {1, 0, 0xFFFFFF, 0x102030, 0x102030},  // parameter 0 leaves the destination
      {2, 0, 0xFFFFFF, 0x102030, 0x102030},
      {3, 0, 0xFFFFFF, 0x102030, 0x102030},
      {1, 255, 0x0A0B0C, 0xFFFFFF, 0x0A0B0C},  // alpha 255 is a copy
      {0, 0, 0x0A0B0C, 0xFFFFFF, 0x0A0B0C},    // mode 0 ignores the parameter
      {1, 128, 0xFFFFFF, 0xFFFFFF, 0xFEFEFE},  // the halving loop drops both low bits
      {1, 128, 0x010203, 0x030201, 0x010201},
      {2, 255, 0xC8C8C8, 0x646464, 0xFFFFFF},  // add saturates
      {3, 255, 0xC8C8C8, 0x646464, 0x000000},  // subtract saturates
      {2, 128, 0xC8C8C8, 0x646464, 0xC8C8C8},  // 100 + 200 * 128 / 255 = 200
      {3, 128, 0xC8C8C8, 0x646464, 0x000000},
      {4, 0, 0x808080, 0xFF4020, 0x7F2010},  // multiply: s * d / 256
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " p " << c.p);
    EXPECT_EQ(Draw32(c.mode, c.p, c.s, c.d), c.expected);
  }
}

TEST_F(PutMemImgTest, RefusedRequestsTouchNoPixel) {
  std::mt19937 rng(5);
  Image src32(4, 4, kKindColor32, 0, 0), src16(4, 4, kKindColor16, 0, 0);
  Image dest(8, 8, kKindColor32, 0, 0), alphaDest(8, 8, kKindColor32, 0, 1);
  Image wrongGraph(4, 4, kKindColor32, 0, 0), smallGraph(3, 4, kKindChannel8, 0, 0);
  FillRandom(&src32, &rng);
  FillRandom(&src16, &rng);
  struct Case {
    const char* what;
    int mode, p, x, y;
    Rect area;
    const MEMIMG* src;
    Image* dest;
    const MEMIMG* graph;
  };
  const Rect all = {0, 0, 640, 480};
  const Case cases[] = {
      {"format mismatch", 0, 0, 0, 0, all, &src16.m, &dest, nullptr},
      {"destination with alpha", 0, 0, 0, 0, all, &src32.m, &alphaDest, nullptr},
      {"unknown blend mode", 5, 255, 0, 0, all, &src32.m, &dest, nullptr},
      {"negative blend mode", -1, 255, 0, 0, all, &src32.m, &dest, nullptr},
      {"outside the draw area", 0, 0, 4, 4, {0, 0, 4, 4}, &src32.m, &dest, nullptr},
      {"empty draw area", 0, 0, 0, 0, {2, 2, 2, 6}, &src32.m, &dest, nullptr},
      {"off the destination", 0, 0, -4, 0, all, &src32.m, &dest, nullptr},
      {"graph of the wrong kind", 0, 0, 0, 0, all, &src32.m, &dest, &wrongGraph.m},
      {"graph narrower than the source", 0, 0, 0, 0, all, &src32.m, &dest, &smallGraph.m},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FillRandom(c.dest, &rng);
    std::vector<uint8_t> before(
        static_cast<const uint8_t*>(c.dest->m.pixels),
        static_cast<const uint8_t*>(c.dest->m.pixels) + 8 * c.dest->m.pitch);
    SetState(c.mode, c.p, 0xFFFFFF, c.area);
    PutMemImg(&c.dest->m, *c.src, c.x, c.y, 0, c.graph);
    EXPECT_EQ(std::memcmp(before.data(), c.dest->m.pixels, before.size()), 0);
  }
}

TEST(BlendTables, EntriesTruncateTowardZero) {
  const BlendTables& t = GetBlendTables();
  EXPECT_EQ(&t, &GetBlendTables());
  EXPECT_EQ(t.scale[128][200], 100u);  // 25600 / 255 = 100.39
  EXPECT_EQ(t.scale[255][77], 77u);
  EXPECT_EQ(t.scale[0][255], 0u);
  EXPECT_EQ(SignedScale(t, 128, -200), -100);  // not -101
  EXPECT_EQ(SignedScale(t, 255, -255), -255);
  EXPECT_EQ(SignedScale(t, 100, 1), 0);
  EXPECT_EQ(t.mix6[63][40][10], 40);
  EXPECT_EQ(t.mix6[0][40][10], 10);
  EXPECT_EQ(t.mix6[32][63][0], 32);  // 2016 / 63
  EXPECT_EQ(t.mix6[10][5][6], 5);    // (50 + 318) / 63 = 5.84
}

}  // namespace
}  // namespace kumo
