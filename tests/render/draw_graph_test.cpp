#include "kumo/render/draw_graph.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>

#include "kumo/core/bodies.h"
#include "kumo/image/graph_handles.h"
#include "kumo/render/draw_routes.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/draw_target.h"
#include "tests/render/draw_fixture.h"

namespace kumo {
namespace {

using draw_test::DrawTest;
using draw_test::kBackground;
using draw_test::kKey;
using draw_test::kUntouched;
using draw_test::SetStorePixel;
using draw_test::SourceValue;

class DrawGraphTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    MakeSourceAndTarget();
  }

  // The source pixel (sx, sy) as drawn: untouched outside the source or where it is transparent.
  static uint32_t Drawn(int sx, int sy, int transparent) {
    if (sx < 0 || sy < 0 || sx >= 8 || sy >= 4) return kUntouched;
    if (sx == 1 && sy == 1) return transparent ? kUntouched : kKey;
    return SourceValue(sx, sy);
  }

  static bool Inside(const Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
  }
};

TEST_F(DrawGraphTest, PutGraphPlacesTheGraphicInsideTheDrawArea) {
  struct Case {
    int x, y, transparent;
    Rect area;
  };
  const Case cases[] = {
      {3, 2, 0, {0, 0, 32, 24}},   {3, 2, 1, {0, 0, 32, 24}}, {28, -2, 1, {0, 0, 32, 24}},
      {-3, 21, 0, {0, 0, 32, 24}}, {3, 2, 0, {5, 3, 9, 32}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "at " << c.x << "," << c.y << " transparent "
                                      << c.transparent << " area left " << c.area.left);
    Fill(target_, kBackground);
    SetDrawClip(c.area.left, c.area.top, c.area.right, c.area.bottom);
    EXPECT_EQ(PutGraphBody(c.x, c.y, source_, c.transparent), 0);
    ExpectPixels(target_, [&](int x, int y) {
      return Inside(c.area, x, y) ? Drawn(x - c.x, y - c.y, c.transparent) : kUntouched;
    });
  }
}

TEST_F(DrawGraphTest, PutGraphRectDrawsTheSubRectangleAndRestoresTheDrawArea) {
  struct Case {
    int x, y, sx, sy, w, h, mirror;
  };
  const Case cases[] = {
      {5, 6, 2, 1, 3, 2, 0},
      {5, 6, 2, 1, 3, 2, 1},
      {28, 6, 0, 0, 8, 2, 0},  // cut by the draw area at 30
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "at " << c.x << " mirror " << c.mirror);
    Fill(target_, kBackground);
    SetDrawClip(1, 1, 30, 20);
    const DrawState before = gDrawState;
    EXPECT_EQ(PutGraphRect(c.x, c.y, c.sx, c.sy, c.w, c.h, source_, 0, c.mirror), 0);
    EXPECT_EQ(std::memcmp(&gDrawState, &before, sizeof(DrawState)), 0);
    ExpectPixels(target_, [&](int x, int y) {
      const int i = x - c.x, j = y - c.y;
      if (x >= 30 || i < 0 || j < 0 || i >= c.w || j >= c.h) return kUntouched;
      return Drawn(c.mirror ? c.sx + c.w - 1 - i : c.sx + i, c.sy + j, 0);
    });
  }
}

TEST_F(DrawGraphTest, PutGraphMirroredReversesTheColumns) {
  EXPECT_EQ(PutGraphMirrored(3, 2, source_, 1), 0);
  ExpectPixels(target_, [&](int x, int y) {
    const int i = x - 3, j = y - 2;
    return i < 0 || i >= 8 ? kUntouched : Drawn(7 - i, j, 1);
  });
}

// The source rectangle (2, 1, 3, 2) doubled onto (4, 4) - (10, 8), the rest of the scaled
// graphic clipped away.
TEST_F(DrawGraphTest, PutGraphRectStretchedLandsTheSourceRectangleOnTheDestination) {
  for (const int mirror : {0, 1}) {
    SCOPED_TRACE(::testing::Message() << "mirror " << mirror);
    Fill(target_, kBackground);
    const DrawState before = gDrawState;
    const int result = mirror ? PutGraphRectStretched(10, 4, 4, 8, 2, 1, 3, 2, source_, 0)
                              : PutGraphRectStretched(4, 4, 10, 8, 2, 1, 3, 2, source_, 0);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(std::memcmp(&gDrawState, &before, sizeof(DrawState)), 0);
    ExpectPixels(target_, [&](int x, int y) {
      const int i = x - 4, j = y - 4;
      if (i < 0 || j < 0 || i >= 6 || j >= 4) return kUntouched;
      return Drawn(mirror ? 4 - i / 2 : 2 + i / 2, 1 + j / 2, 0);
    });
  }
  EXPECT_EQ(PutGraphRectStretched(4, 4, 10, 8, 2, 1, 0, 2, source_, 0), -1);
}

using FrontEnd = std::function<int(int handle)>;
const std::pair<const char*, FrontEnd> kFrontEnds[] = {
    {"PutGraph", [](int h) { return PutGraphBody(3, 2, h, 1); }},
    {"PutGraphStretched", [](int h) { return PutGraphStretched(3, 2, 19, 10, h, 1); }},
    {"PutGraphRotated", [](int h) { return PutGraphRotated(10.0f, 9.0f, 1.5, 0.5, h, 1, 1); }},
    {"PutGraphCorners",
     [](int h) { return PutGraphCorners(2.0f, 2.0f, 12.0f, 3.0f, 11.0f, 9.0f, 3.0f, 8.0f, h, 1); }},
    {"PutGraphMirrored", [](int h) { return PutGraphMirrored(3, 2, h, 1); }},
    {"PutGraphRect", [](int h) { return PutGraphRect(3, 2, 1, 1, 4, 2, h, 1, 0); }},
    {"PutGraphRectStretched",
     [](int h) { return PutGraphRectStretched(3, 2, 11, 6, 1, 1, 4, 2, h, 1); }},
};

TEST_F(DrawGraphTest, EveryFrontEndRefusesBadGraphicsAndSkipsWhileItCannotDraw) {
  const int released = MakeBlankGraph(8, 4, 0, 0, 0);
  ReleaseGraph(released, 0);
  const int small = MakeBlankGraph(8, 3, 0, 0, 0);
  const int fits = MakeBlankGraph(8, 4, 0, 0, 0);
  const int doomed = MakeBlankGraph(8, 4, 0, 0, 0);
  for (const auto& [name, draw] : kFrontEnds) {
    SCOPED_TRACE(name);
    Fill(target_, kBackground);
    EXPECT_EQ(draw(released), -1);
    SelectBlendGraph(small, 0, 0);
    EXPECT_EQ(draw(source_), -1);
    SelectBlendGraph(doomed, 0, 0);
    ReleaseGraph(doomed, 0);
    EXPECT_EQ(draw(source_), -1);
    ExpectUntouched(target_);

    GraphicsSettings().suspended = 1;
    EXPECT_EQ(draw(released), 0);
    GraphicsSettings().suspended = 0;
    SetDrawClip(10, 10, 10, 20);
    EXPECT_EQ(draw(source_), 0);
    ExpectUntouched(target_);

    SetDrawClip(0, 0, 32, 24);
    SelectBlendGraph(fits, 0, 0);
    EXPECT_EQ(draw(source_), 0);
    SelectBlendGraph(-1, 0, 0);
  }
}

// A cell of a larger store is drawn into through its own rectangle only.
TEST_F(DrawGraphTest, ACellTargetKeepsDrawingInsideTheCell) {
  const int parent = FilledGraph(32, 8, kBackground);
  const int cell = DeriveGraph(16, 0, 16, 8, parent);
  ASSERT_EQ(SetDrawTargetBody(cell), 0);
  EXPECT_EQ(PutGraphBody(-4, 0, source_, 0), 0);
  ExpectPixels(parent, [&](int x, int y) { return x < 16 ? kUntouched : Drawn(x - 16 + 4, y, 0); });

  // A target graphic deleted since it was selected has nothing to draw into.
  ReleaseGraph(cell, 0);
  EXPECT_EQ(PutGraphBody(0, 0, source_, 0), -1);
}

// Both routes run the same blitters on the same pixels, whatever the draw state.
TEST_F(DrawGraphTest, SurfaceRouteDrawsWhatTheSoftwareRouteDraws) {
  GraphicsSettings().mask = 1;
  const int blendGraph = MakeBlankGraph(8, 4, 0, 0, 0);
  GraphicsSettings().mask = 0;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x)
      SetStorePixel(blendGraph, x, y, static_cast<uint32_t>(x * 32 + y * 8));
  }
  SetBlendMode(1, 100);
  SetBrightness(200, 150, 100);
  SelectBlendGraph(blendGraph, 16, 128);
  SetDrawClip(2, 1, 30, 22);
  const int softwareTarget = FilledGraph(32, 24, kBackground);
  const int cellSource = DeriveGraph(2, 0, 5, 4, source_);

  DrawJob put{};
  put.shape = kDrawPut;
  put.transparent = 1;
  put.x1 = 28;
  put.y1 = -2;
  put.bounds = {28, -2, 36, 2};
  DrawJob inside = put;
  inside.transparent = 0;
  inside.x1 = 3;
  inside.y1 = 5;
  inside.bounds = {3, 5, 11, 9};
  DrawJob stretched{};
  stretched.shape = kDrawStretched;
  stretched.transparent = 1;
  stretched.x1 = 20;
  stretched.y1 = 3;
  stretched.x2 = 4;
  stretched.y2 = 15;
  stretched.bounds = {4, 3, 20, 15};
  const std::pair<DrawJob, int> jobs[] = {
      {put, source_}, {inside, source_}, {stretched, source_}, {inside, cellSource}};
  for (const auto& [job, graph] : jobs) {
    SCOPED_TRACE(::testing::Message() << "shape " << job.shape << " at " << job.x1);
    Fill(softwareTarget, kBackground);
    Fill(target_, kBackground);
    const GraphRecord& record = *GetGraphRecord(graph);
    ASSERT_EQ(SetDrawTargetBody(softwareTarget), 0);
    EXPECT_EQ(DrawBySoftware(job, record), 0);
    ASSERT_EQ(SetDrawTargetBody(target_), 0);
    const DrawState before = gDrawState;
    EXPECT_EQ(DrawBySurfaces(job, record), 0);
    EXPECT_EQ(std::memcmp(&gDrawState, &before, sizeof(DrawState)), 0);
    int changed = 0;
    ExpectPixels(target_, [&](int x, int y) {
      const uint32_t value = draw_test::StorePixel(softwareTarget, x, y);
      changed += value != kBackground;
      return value;
    });
    EXPECT_GT(changed, 0);
  }
}

}  // namespace
}  // namespace kumo
