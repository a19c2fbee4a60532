// The battle field: the line segments the fighters stand on and walk against.
#pragma once

#include <array>

#include "game/segment.h"

namespace game {

constexpr int kFieldSegments = 128;

// The segments read by the last LoadField. Entries from `count` on are left over from an
// earlier field and are never read.
struct Field {
  std::array<Segment, kFieldSegments> segments{};
  int count = 0;
};

// A body circle that feels the field.
struct Circle {
  float cx, cy, r;
};

// A field segment between two points, with its angle atan2(y2 - y1, x2 - x1) in (-pi, pi].
Segment FieldSegment(int x1, int y1, int x2, int y2);

// Reads the whole field into the game's field table, one "x1,y1,x2,y2" segment per line, and
// closes the file. A value a line does not supply keeps the previous line's value (0 before any
// line gave one); lines after the table's last entry are ignored, with one log line. 0.
int LoadField(int fileHandle);

// A wall stops walking; anything flatter than 70 degrees and written left to right is a floor.
bool IsWall(const Segment& segment);

// Tests both circles against every field segment in table order. True when a wall, or a floor
// from its upper side, was touched; `floor` and `wall` get the first of each touched (null when
// none).
bool TouchField(const std::array<Circle, 2>& circles, const Segment** floor, const Segment** wall);

}  // namespace game
