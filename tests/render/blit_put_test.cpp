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
#include "tests/render/blit_model.h"

namespace kumo {
namespace {

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

// Draws one request with PutMemImg and checks it against the model.
void RunRequest(const Request& q, std::mt19937* rng) {
  RunModelRequest(
      q, true,
      [&](MEMIMG* dest, const MEMIMG& src, int transparent, const MEMIMG* graph) {
        PutMemImg(dest, src, q.x, q.y, transparent, graph);
      },
      rng);
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
