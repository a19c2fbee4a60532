#include "game/field.h"

#include <cmath>
#include <cstdio>

#include "game/game_state.h"
#include "game/geometry.h"
#include "kumo/kumo.h"

namespace game {

namespace {

constexpr int kLineBufferSize = 1024;
constexpr int kLineReadSize = 1023;

constexpr float kRightAngle = 1.5707963f;
constexpr float kSteepestFloor = 0.34906583f;  // 20 degrees short of vertical
constexpr float kEpsilon = 1e-10f;

}  // namespace

Segment FieldSegment(int x1, int y1, int x2, int y2) {
  Segment segment{};
  segment.x1 = static_cast<float>(x1);
  segment.y1 = static_cast<float>(y1);
  segment.x2 = static_cast<float>(x2);
  segment.y2 = static_cast<float>(y2);
  segment.angle = std::atan2(segment.y2 - segment.y1, segment.x2 - segment.x1);
  return segment;
}

int LoadField(int fileHandle) {
  Field& field = Game().field;
  field.count = 0;
  // A line that does not supply all four values keeps those of the line before it, so an empty
  // line repeats the previous segment.
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  char line[kLineBufferSize] = "";
  while (FileIsEof(fileHandle) == 0) {
    // A longer file would write past the table: keep its first segments and say so.
    if (field.count == kFieldSegments) {
      WriteToLog("フィールドの線分が多すぎます、１２８本目より後は読み込みません\n");
      break;
    }
    FileReadLine(line, kLineReadSize, fileHandle);
    std::sscanf(line, "%d,%d,%d,%d", &x1, &y1, &x2, &y2);
    field.segments[field.count++] = FieldSegment(x1, y1, x2, y2);
  }
  FileCloseRead(fileHandle);
  return 0;
}

bool IsWall(const Segment& segment) {
  return kRightAngle - std::fabs(segment.angle) < kSteepestFloor;
}

bool TouchField(const std::array<Circle, 2>& circles, const Segment** floor, const Segment** wall) {
  bool touched = false;
  *floor = nullptr;
  *wall = nullptr;
  const Field& field = Game().field;
  for (int i = 0; i < field.count; ++i) {
    const Segment& s = field.segments[i];
    for (const Circle& circle : circles) {
      if (!CircleTouchesSegment(s, circle.cx, circle.cy, circle.r)) continue;
      if (IsWall(s)) {
        touched = true;
        if (*wall == nullptr) *wall = &s;
        continue;
      }
      // A floor holds only from its upper side; from below a fighter passes through it.
      const float side = (s.y2 - s.y1) * (circle.cx - s.x1) - (s.x2 - s.x1) * (circle.cy - s.y1);
      if (side > -kEpsilon) {
        touched = true;
        if (*floor == nullptr) *floor = &s;
      }
    }
  }
  return touched;
}

}  // namespace game
