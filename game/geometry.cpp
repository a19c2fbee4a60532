#include "game/geometry.h"

#include <cmath>

namespace game {

namespace {

constexpr float kEpsilon = 1e-10f;

float Cross(float ux, float uy, float vx, float vy) { return ux * vy - uy * vx; }

}  // namespace

Vector RotateVector(float angle, float x, float y) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  return {c * x - s * y, s * x + c * y};
}

bool CircleTouchesSegment(const Segment& segment, float cx, float cy, float r) {
  const float lx = segment.x2 - segment.x1;
  const float ly = segment.y2 - segment.y1;
  const float px = cx - segment.x1;
  const float py = cy - segment.y1;
  // Only the stretch between the end points counts: a centre before the first point or beyond
  // the second is out, whatever its distance.
  const float t = ly * py + lx * px;
  if (!(t > -kEpsilon)) return false;
  const float lengthSquared = lx * lx + ly * ly;
  if (!(lengthSquared > t)) return false;
  const float length = std::sqrt(lengthSquared);
  const float ux = lx / length;
  const float uy = ly / length;
  const float s = ux * px + uy * py;
  const float ox = cx - (segment.x1 + ux * s);
  const float oy = cy - (segment.y1 + uy * s);
  return ox * ox + oy * oy < r * r;
}

bool SegmentsCross(const Segment& a, const Segment& b) {
  // Each segment's end points must lie on opposite sides of the other's line, or on it.
  const float gx = a.x2 - a.x1;
  const float gy = a.y2 - a.y1;
  const float c1 = Cross(gx, gy, b.x1 - a.x1, b.y1 - a.y1);
  const float c2 = Cross(gx, gy, b.x2 - a.x1, b.y2 - a.y1);
  if (!(c1 * c2 < kEpsilon)) return false;
  const float ex = b.x2 - b.x1;
  const float ey = b.y2 - b.y1;
  const float c3 = Cross(ex, ey, a.x1 - b.x1, a.y1 - b.y1);
  const float c4 = Cross(ex, ey, a.x2 - b.x1, a.y2 - b.y1);
  return c3 * c4 < kEpsilon;
}

}  // namespace game
