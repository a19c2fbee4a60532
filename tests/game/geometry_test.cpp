#include "game/geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace game {
namespace {

constexpr float kPi = 3.14159265f;

Segment Line(float x1, float y1, float x2, float y2) { return {x1, y1, x2, y2, 0, 0, 0}; }

TEST(RotateVector, TurnsTowardsPositiveYForPositiveAngles) {
  struct Case {
    float angle, x, y;
    Vector expected;
  };
  const Case cases[] = {
      {0, 120, 0, {120, 0}},
      {kPi / 2, 1, 0, {0, 1}},
      {kPi, 3, 4, {-3, -4}},
      // Walking right up a 45 degree floor.
      {-kPi / 4, 120, 0, {84.852814f, -84.852814f}},
      {kPi / 6, 0, -2, {1, -1.7320508f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    const Vector v = RotateVector(c.angle, c.x, c.y);
    EXPECT_NEAR(v.x, c.expected.x, 1e-4f);
    EXPECT_NEAR(v.y, c.expected.y, 1e-4f);
  }
}

TEST(CircleTouchesSegment, OnlyBetweenTheEndPointsAndStrictlyInsideTheRadius) {
  const Segment level = Line(0, 400, 640, 400);
  const Segment slope = Line(0, 400, 200, 200);  // 45 degrees up
  const float diagonal = std::sqrt(0.5f);
  struct Case {
    const char* what;
    Segment segment;
    float cx, cy, r;
    bool touches;
  };
  const Case cases[] = {
      {"7.9 px above the middle", level, 320, 392.1f, 8, true},
      {"8 px above the middle", level, 320, 392, 8, false},
      {"7.9 px below the middle", level, 320, 407.9f, 8, true},
      {"on the line", level, 320, 400, 8, true},
      {"just beyond the second end", level, 641, 400, 8, false},
      {"just before the first end", level, -1, 398, 8, false},
      {"over the first end", level, 0, 395, 8, true},
      {"over the second end", level, 640, 395, 8, false},
      {"7 px off a slope", slope, 100 - 7 * diagonal, 300 - 7 * diagonal, 8, true},
      {"9 px off a slope", slope, 100 + 9 * diagonal, 300 + 9 * diagonal, 8, false},
      {"a point, as an idle weapon line is", Line(50, 50, 50, 50), 50, 50, 8, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CircleTouchesSegment(c.segment, c.cx, c.cy, c.r), c.touches);
  }
}

TEST(SegmentsCross, CrossingTouchingAndApart) {
  struct Case {
    const char* what;
    Segment a, b;
    bool cross;
  };
  const Case cases[] = {
      {"an X", Line(0, 0, 10, 10), Line(0, 10, 10, 0), true},
      {"meeting at an end point", Line(0, 0, 10, 0), Line(10, 0, 10, 10), true},
      {"one ends on the other", Line(0, 0, 10, 0), Line(5, 0, 5, 10), true},
      {"parallel", Line(0, 0, 10, 0), Line(0, 5, 10, 5), false},
      {"b stays on one side of a", Line(0, 0, 10, 0), Line(5, 1, 5, 10), false},
      {"b's line crosses a, b does not", Line(0, 0, 10, 0), Line(20, -5, 20, 5), false},
      {"a's line crosses b, a does not", Line(20, -5, 20, 5), Line(0, 0, 10, 0), false},
      // Every product is zero on one line, so even segments apart count as crossing.
      {"on one line, apart", Line(0, 0, 10, 0), Line(20, 0, 30, 0), true},
      {"a still point off a wall", Line(5, 5, 5, 5), Line(0, 0, 10, 0), false},
      {"a still point on a wall", Line(5, 0, 5, 0), Line(0, 0, 10, 0), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SegmentsCross(c.a, c.b), c.cross);
  }
}

}  // namespace
}  // namespace game
