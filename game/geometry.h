// Vector and segment tests for standing, walls and hits; all arithmetic in float.
#pragma once

#include "game/segment.h"

namespace game {

struct Vector {
  float x, y;
};

// (x, y) turned by `angle` radians (y downwards, so a positive angle turns clockwise on screen).
Vector RotateVector(float angle, float x, float y);

// True when the circle touches the segment between its end points; a circle whose centre lies
// beyond an end point does not count, even if it covers that point.
bool CircleTouchesSegment(const Segment& segment, float cx, float cy, float r);

// True when the segments cross or touch; segments on one line count as crossing.
bool SegmentsCross(const Segment& a, const Segment& b);

}  // namespace game
