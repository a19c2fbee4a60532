#include "kumo/render/draw_state.h"

#include <gtest/gtest.h>

#include <cstring>

#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/image/graph_handles.h"
#include "kumo/render/draw_target.h"
#include "tests/render/draw_fixture.h"

namespace kumo {
namespace {

using draw_test::DrawTest;

bool SameState(const DrawState& a, const DrawState& b) {
  return std::memcmp(&a, &b, sizeof(DrawState)) == 0;
}

void ExpectArea(const Rect& want) {
  const DrawState& s = gDrawState;
  EXPECT_EQ(s.drawArea.left, want.left);
  EXPECT_EQ(s.drawArea.top, want.top);
  EXPECT_EQ(s.drawArea.right, want.right);
  EXPECT_EQ(s.drawArea.bottom, want.bottom);
  EXPECT_EQ(s.drawAreaF.left, static_cast<float>(want.left));
  EXPECT_EQ(s.drawAreaF.top, static_cast<float>(want.top));
  EXPECT_EQ(s.drawAreaF.right, static_cast<float>(want.right));
  EXPECT_EQ(s.drawAreaF.bottom, static_cast<float>(want.bottom));
  EXPECT_EQ(s.drawAreaEmpty, want.left == want.right || want.top == want.bottom ? 1 : 0);
}

using DrawStateTest = DrawTest;

TEST_F(DrawStateTest, BlendModeAndBrightnessAreClampedAndMakeTheDiffuseColour) {
  EXPECT_EQ(gDrawState.diffuseColor, 0xFFFFFFFFu);
  EXPECT_EQ(SetBlendMode(1, 300), 0);
  EXPECT_EQ(gDrawState.blendMode, 1);
  EXPECT_EQ(gDrawState.blendParam, 255);
  const DrawState once = gDrawState;
  EXPECT_EQ(SetBlendMode(1, 300), 0);
  EXPECT_TRUE(SameState(gDrawState, once));

  SetBlendMode(2, -7);
  EXPECT_EQ(gDrawState.blendParam, 0);
  EXPECT_EQ(gDrawState.diffuseColor, 0x00FFFFFFu);
  SetBrightness(300, -5, 0x12);
  EXPECT_EQ(gDrawState.brightness, 0xFF0012u);
  SetBlendMode(1, 0x80);
  EXPECT_EQ(gDrawState.diffuseColor, 0x80FF0012u);
  // Without blending the alpha is full whatever the parameter.
  SetBlendMode(0, 0x80);
  SetBrightnessColor(0xAB123456u);
  EXPECT_EQ(gDrawState.brightness, 0x123456u);
  EXPECT_EQ(gDrawState.diffuseColor, 0xFF123456u);
}

TEST_F(DrawStateTest, SuspendedDrawingKeepsTheStateButTheBrightness) {
  const int graph = MakeBlankGraph(4, 4, 0, 0, 0);
  GraphicsSettings().suspended = 1;
  const DrawState before = gDrawState;
  EXPECT_EQ(SetBlendMode(2, 10), 0);
  EXPECT_EQ(SetSamplingMode(1), 0);
  EXPECT_EQ(SelectBlendGraph(graph, 3, 4), 0);
  EXPECT_EQ(SetDrawClip(1, 2, 3, 4), 0);
  EXPECT_TRUE(SameState(gDrawState, before));
  SetBrightness(1, 2, 3);
  EXPECT_EQ(gDrawState.brightness, 0x010203u);
  GraphicsSettings().suspended = 0;
}

TEST_F(DrawStateTest, BlendGraphThresholdTable) {
  EXPECT_EQ(SelectBlendGraph(-1, 0, 255), 0);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(gDrawState.blendGraphTable[i], 255) << i;

  EXPECT_EQ(SelectBlendGraph(-1, 128, 0), 0);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(gDrawState.blendGraphTable[i], i < 128 ? 0 : i == 128 ? 128 : 255) << i;
  }

  // A graph and clamped numbers are taken; a handle that names no graphic is refused.
  const int graph = MakeBlankGraph(4, 4, 0, 0, 0);
  EXPECT_EQ(SelectBlendGraph(graph, 300, -3), 0);
  EXPECT_EQ(gDrawState.blendGraph, graph);
  EXPECT_EQ(gDrawState.blendGraphBorderParam, 255);
  EXPECT_EQ(gDrawState.blendGraphBorderRange, 0);
  const DrawState before = gDrawState;
  ReleaseGraph(graph, 0);
  EXPECT_EQ(SelectBlendGraph(graph, 1, 1), -1);
  EXPECT_TRUE(SameState(gDrawState, before));
}

TEST_F(DrawStateTest, DrawClipIsOrderedAndClampedToTheTarget) {
  ASSERT_EQ(SetDrawTargetBody(kBackBuffer), 0);
  SetDrawClip(500, 400, -20, 900);
  ExpectArea({0, 400, 500, 480});
  EXPECT_EQ(gDrawState.requestedArea.right, -20);
  SetDrawClip(100, 100, 100, 200);
  ExpectArea({100, 100, 100, 200});

  const int graph = MakeBlankGraph(32, 16, 0, 0, 0);
  ASSERT_EQ(SetDrawTargetBody(graph), 0);
  ExpectArea({0, 0, 32, 16});
  SetDrawClip(-5, 3, 100, 100);
  ExpectArea({0, 3, 32, 16});
  // A target graphic that is gone leaves the area as it is.
  ReleaseGraph(graph, 0);
  SetDrawClip(1, 1, 2, 2);
  ExpectArea({0, 3, 32, 16});
}

// On the front buffer only the part of the client area on the desktop (1920 x 1080 headless)
// can be drawn on.
TEST_F(DrawStateTest, FrontBufferDrawClipStaysOnTheDesktop) {
  struct Case {
    Rect client;
    Rect area;
  };
  const Case cases[] = {
      {{0, 0, 640, 480}, {0, 0, 640, 480}},
      {{-10, -20, 630, 460}, {10, 20, 640, 480}},
      {{1600, 900, 2240, 1380}, {0, 0, 320, 180}},
      {{-700, 0, -60, 480}, {640, 0, 640, 480}},
  };
  const Rect saved = System().clientRect;
  for (const Case& c : cases) {
    System().clientRect = c.client;
    ASSERT_EQ(SetDrawTargetBody(kFrontBuffer), 0);
    SetDrawClip(0, 0, 640, 480);
    SCOPED_TRACE(::testing::Message() << "client " << c.client.left << "," << c.client.top);
    ExpectArea(c.area);
  }
  System().clientRect = saved;
}

TEST_F(DrawStateTest, DrawTargetKeepsTheAreaOnlyForTheSameSize) {
  ASSERT_EQ(SetDrawTargetBody(kBackBuffer), 0);
  SetDrawClip(10, 10, 20, 20);
  const int sameSize = MakeBlankGraph(640, 480, 0, 0, 0);
  ASSERT_EQ(SetDrawTargetBody(sameSize), 0);
  ExpectArea({10, 10, 20, 20});
  const int other = MakeBlankGraph(32, 16, 0, 0, 0);
  ASSERT_EQ(SetDrawTargetBody(other), 0);
  ExpectArea({0, 0, 32, 16});
  EXPECT_EQ(CurrentDrawTarget().width, 32);
  EXPECT_EQ(CurrentDrawTarget().height, 16);
}

TEST_F(DrawStateTest, DrawTargetRefusals) {
  const int graph = MakeBlankGraph(32, 16, 0, 0, 0);
  ASSERT_EQ(SetDrawTargetBody(graph), 0);
  const int released = MakeBlankGraph(8, 8, 0, 0, 0);
  ReleaseGraph(released, 0);
  for (const int bad : {-1, -3, 0, 5, 0x7FFF, released}) {
    EXPECT_EQ(SetDrawTargetBody(bad), -1) << bad;
    EXPECT_EQ(CurrentDrawTarget().target, graph);
  }
  GraphicsSettings().suspended = 1;
  EXPECT_EQ(SetDrawTargetBody(kBackBuffer), 0);
  EXPECT_EQ(CurrentDrawTarget().target, graph);
  GraphicsSettings().suspended = 0;
  TermGraphics();
  EXPECT_EQ(SetDrawTargetBody(kBackBuffer), -1);
  InitGraphics();
}

}  // namespace
}  // namespace kumo
