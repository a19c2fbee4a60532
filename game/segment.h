// A field line or a weapon line.
#pragma once

namespace game {

struct Segment {
  float x1, y1;
  float x2, y2;
  float angle;  // atan2(y2 - y1, x2 - x1); 0 for weapon lines
  float reserved1, reserved2;
};

}  // namespace game
