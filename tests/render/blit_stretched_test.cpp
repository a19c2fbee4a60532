#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "kumo/render/blits.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/mem_img.h"
#include "tests/render/blit_model.h"

namespace kumo {
namespace {

using PutMemImgStretchedTest = DrawStateTest;

// The source pixel that destination coordinate `d` shows on an axis drawn from `a1` to `a2`
// (reversed when a2 < a1), or -1 outside. For sources of at most 256 pixels a side this plain
// rational rule picks the same pixel as walking steps of 16 fraction bits.
int SourceAt(int d, int a1, int a2, int srcSize) {
  const int lo = std::min(a1, a2), hi = std::max(a1, a2);
  if (d < lo || d >= hi) return -1;
  const int c = (d - lo) * srcSize / (hi - lo);
  return a2 < a1 ? srcSize - 1 - c : c;
}

struct Request {
  BlendAxes axes;
  int x1, y1, x2, y2, srcW, srcH;
  Rect area;
};

// Draws one request onto a random destination and checks every pixel against the model.
void RunRequest(const Request& q, std::mt19937* rng) {
  SCOPED_TRACE(testing::Message() << q.axes << " " << q.srcW << "x" << q.srcH << " into " << q.x1
                                  << "," << q.y1 << "," << q.x2 << "," << q.y2);
  BlitScene scene(q.axes, q.srcW, q.srcH, 12, 10, q.area, rng);
  PutMemImgStretched(&scene.dest.m, scene.src.m, q.x1, q.y1, q.x2, q.y2, scene.transparent,
                     scene.Graph());
  Model model = q.axes.ToModel();
  // A rectangle of the source's own size is the plain blit's.
  model.plainBlit = q.x2 - q.x1 == q.srcW && q.y2 - q.y1 == q.srcH;
  scene.ExpectMatchesModel(model, [&](int dx, int dy, int* sx, int* sy) {
    *sx = SourceAt(dx, q.x1, q.x2, q.srcW);
    *sy = SourceAt(dy, q.y1, q.y2, q.srcH);
    return *sx >= 0 && *sy >= 0;
  });
}

TEST_F(PutMemImgStretchedTest, EveryCombinationOfAxesMatchesTheModel) {
  std::mt19937 rng(1);
  ForEveryAxes([&](const BlendAxes& axes) {
    // Widened and mirrored across, narrowed down, clipped on the left and the bottom.
    RunRequest({axes, 11, 1, -2, 8, 5, 9, {0, 0, 12, 7}}, &rng);
    return !HasFatalFailure();
  });
}

TEST_F(PutMemImgStretchedTest, RandomRequestsMatchTheModel) {
  std::mt19937 rng(2024);
  for (int i = 0; i < 600; ++i) {
    const auto pick = [&](int lo, int hi) { return Pick(&rng, lo, hi); };
    Request q{};
    q.axes = RandomAxes(&rng);
    q.srcW = pick(1, 9);
    q.srcH = pick(1, 7);
    q.x1 = pick(-6, 14);
    q.y1 = pick(-5, 12);
    // Now and then exactly the source's size, else anything, reversed included.
    const bool ownSize = pick(0, 7) == 0;
    q.x2 = ownSize ? q.x1 + q.srcW : pick(-6, 17);
    q.y2 = ownSize ? q.y1 + q.srcH : pick(-5, 14);
    q.area = RandomArea(12, 10, &rng);
    RunRequest(q, &rng);
    if (HasFatalFailure()) return;
  }
}

// One line of a 32-bit source whose pixels hold their own column, stretched across one line.
std::vector<uint32_t> StretchColumns(int srcW, int x1, int x2, int destW) {
  Image src(srcW, 1, kKindColor32, 0, 0), dest(destW, 1, kKindColor32, 0, 0);
  for (int x = 0; x < srcW; ++x) src.Set(x, 0, static_cast<uint32_t>(x));
  FillMemImg(&dest.m, nullptr, 0xFFFFFFu);
  PutMemImgStretched(&dest.m, src.m, x1, 0, x2, 1, 0, nullptr);
  std::vector<uint32_t> got;
  for (int x = 0; x < destW; ++x) got.push_back(dest.Get(x, 0) & 0xFFFFFFu);
  return got;
}

TEST_F(PutMemImgStretchedTest, ReversedCornersMirror) {
  SetDrawState(0, 0, 0xFFFFFF, {0, 0, 640, 480});
  using V = std::vector<uint32_t>;
  EXPECT_EQ(StretchColumns(3, 0, 3, 3), (V{0, 1, 2}));
  EXPECT_EQ(StretchColumns(3, 3, 0, 3), (V{2, 1, 0}));
  EXPECT_EQ(StretchColumns(3, 6, 0, 6), (V{2, 2, 1, 1, 0, 0}));
  EXPECT_EQ(StretchColumns(4, 2, 0, 2), (V{3, 1}));
  // Clipped on the left, the walk starts in the middle of the mirrored source.
  SetDrawState(0, 0, 0xFFFFFF, {3, 0, 640, 480});
  EXPECT_EQ(StretchColumns(3, 6, 0, 6), (V{0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 1, 0, 0}));
}

TEST_F(PutMemImgStretchedTest, MirroredRowsReverseTheLines) {
  std::mt19937 rng(9);
  Image src(3, 4, kKindColor16, 0, 0);
  FillRandom(&src, &rng);
  Image dest(3, 8, kKindColor16, 0, 0);
  SetDrawState(0, 0, 0xFFFFFF);
  PutMemImgStretched(&dest.m, src.m, 0, 8, 3, 0, 0, nullptr);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dest.Get(x, y), src.Get(x, 3 - y / 2)) << x << "," << y;
}

// The walk picks floor(k x 65536 / step) with step = width x 65536 / source width truncated:
// on wide sources that is not always the rational nearest pixel, and it never leaves the source.
TEST_F(PutMemImgStretchedTest, WideSourcesFollowTheFixedPointSteps) {
  SetDrawState(0, 0, 0xFFFFFF, {0, 0, 1000, 1});
  struct Case {
    int srcW, destW;
  };
  for (const Case c : {Case{1000, 999}, Case{65536, 7}, Case{65536, 5}, Case{300, 1}}) {
    SCOPED_TRACE(testing::Message() << c.srcW << " into " << c.destW);
    const std::vector<uint32_t> got = StretchColumns(c.srcW, 0, c.destW, c.destW);
    const int64_t step = static_cast<int64_t>(c.destW) * 65536 / c.srcW;
    for (int k = 0; k < c.destW; ++k) {
      EXPECT_EQ(got[k], static_cast<uint32_t>(k * int64_t{65536} / step)) << k;
      EXPECT_LT(got[k], static_cast<uint32_t>(c.srcW));
    }
  }
  // 1000 into 999: the last pixel shows column 999, where the rational rule says 998.
  EXPECT_EQ(StretchColumns(1000, 0, 999, 999).back(), 999u);
}

TEST_F(PutMemImgStretchedTest, EveryPixelIsWrittenOnce) {
  // Adding 1 to every channel of a black destination shows a pixel written twice as 2.
  struct Case {
    int srcW, srcH, x1, y1, x2, y2;
    Rect area;
  };
  const Case cases[] = {
      {4, 3, 0, 0, 8, 6, {0, 0, 640, 480}},    // twice the size
      {3, 2, 1, 1, 10, 9, {0, 0, 640, 480}},   // three and four times
      {7, 5, 0, 0, 16, 13, {0, 0, 640, 480}},  // an uneven ratio
      {7, 5, 16, 13, 0, 0, {0, 0, 640, 480}},  // the same mirrored
      {5, 5, -3, -4, 14, 12, {2, 3, 11, 10}},  // clipped on every side
      {9, 8, 0, 0, 4, 3, {0, 0, 640, 480}},    // narrowed
  };
  SetDrawState(2, 255, 0xFFFFFF);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << "," << c.x2 << "," << c.y2);
    Image src(c.srcW, c.srcH, kKindColor32, 0, 0), dest(16, 13, kKindColor32, 0, 0);
    FillMemImg(&src.m, nullptr, 0x010101u);
    FillMemImg(&dest.m, nullptr, 0);
    gDrawState.drawArea = c.area;
    PutMemImgStretched(&dest.m, src.m, c.x1, c.y1, c.x2, c.y2, 0, nullptr);
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 16; ++x) {
        const bool inside = x >= std::max({c.area.left, std::min(c.x1, c.x2)}) &&
                            x < std::min(c.area.right, std::max(c.x1, c.x2)) &&
                            y >= std::max({c.area.top, std::min(c.y1, c.y2)}) &&
                            y < std::min(c.area.bottom, std::max(c.y1, c.y2));
        ASSERT_EQ(dest.Get(x, y) & 0xFFFFFFu, inside ? 0x010101u : 0u) << x << "," << y;
      }
  }
}

TEST_F(PutMemImgStretchedTest, OwnSizeDrawsAsThePlainBlit) {
  // Halving and the 16-bit mix table exist only in the plain blit, so the results show which
  // one drew.
  std::mt19937 rng(3);
  for (int kind : {kKindColor16, kKindColor32})
    for (int p : {128, 77}) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " p " << p);
      Image src(5, 4, kind, 0, 0), a(9, 7, kind, 0, 0), b(9, 7, kind, 0, 0);
      FillRandom(&src, &rng);
      FillRandom(&a, &rng);
      std::memcpy(b.m.pixels, a.m.pixels, static_cast<size_t>(a.m.pitch) * 7);
      SetDrawState(1, p, 0xFFFFFF, {1, 0, 8, 6});
      PutMemImg(&a.m, src.m, 2, 1, 0, nullptr);
      PutMemImgStretched(&b.m, src.m, 2, 1, 7, 5, 0, nullptr);
      EXPECT_EQ(Pixels(a), Pixels(b));
    }
}

TEST_F(PutMemImgStretchedTest, RefusedRequestsTouchNoPixel) {
  std::mt19937 rng(5);
  Image src32(4, 4, kKindColor32, 0, 0), src16(4, 4, kKindColor16, 0, 0);
  Image tooWide(65537, 1, kKindColor32, 0, 0);
  Image dest(8, 8, kKindColor32, 0, 0), paletteDest(8, 8, kKindColor32, 1, 0);
  Image smallGraph(4, 3, kKindChannel8, 0, 0);
  FillRandom(&src32, &rng);
  FillRandom(&src16, &rng);
  struct Case {
    const char* what;
    int mode, p, x1, y1, x2, y2;
    Rect area;
    const MEMIMG* src;
    Image* dest;
    const MEMIMG* graph;
  };
  const Rect all = {0, 0, 640, 480};
  const Case cases[] = {
      {"format mismatch", 0, 0, 0, 0, 8, 8, all, &src16.m, &dest, nullptr},
      {"destination with a palette", 0, 0, 0, 0, 8, 8, all, &src32.m, &paletteDest, nullptr},
      {"unknown blend mode", 5, 255, 0, 0, 8, 8, all, &src32.m, &dest, nullptr},
      {"alpha with parameter 0", 1, 0, 0, 0, 8, 8, all, &src32.m, &dest, nullptr},
      {"no width", 0, 0, 3, 0, 3, 8, all, &src32.m, &dest, nullptr},
      {"no height", 0, 0, 0, 5, 8, 5, all, &src32.m, &dest, nullptr},
      {"outside the draw area", 0, 0, 0, 0, 8, 8, {8, 0, 640, 480}, &src32.m, &dest, nullptr},
      {"off the destination", 0, 0, 20, 0, 28, 8, all, &src32.m, &dest, nullptr},
      {"graph shorter than the source", 0, 0, 0, 0, 8, 8, all, &src32.m, &dest, &smallGraph.m},
      {"source too wide for the steps", 0, 0, 0, 0, 8, 8, all, &tooWide.m, &dest, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FillRandom(c.dest, &rng);
    const std::vector<uint8_t> before = Pixels(*c.dest);
    SetDrawState(c.mode, c.p, 0xFFFFFF, c.area);
    PutMemImgStretched(&c.dest->m, *c.src, c.x1, c.y1, c.x2, c.y2, 0, c.graph);
    EXPECT_EQ(Pixels(*c.dest), before);
  }
}

}  // namespace
}  // namespace kumo
