#include "game/field.h"

#include "tests/game/game_fixture.h"

namespace game::testing {
namespace {

constexpr float kPi = 3.14159265f;

TEST(FieldSegment, TellsWallsFromFloorsByTheAngleAlone) {
  struct Case {
    int x1, y1, x2, y2;
    float angle;
    bool wall;
  };
  const Case cases[] = {
      {0, 400, 640, 400, 0, false},
      {640, 400, 0, 400, kPi, true},  // written right to left
      {100, 100, 100, 300, kPi / 2, true},
      {0, 400, 200, 330, -0.33667482f, false},  // about 19 degrees up
      {0, 400, 200, 200, -kPi / 4, false},
      {0, 400, 100, 100, -1.2490458f, true},  // about 72 degrees up
      {0, 400, 100, 700, 1.2490458f, true},   // about 72 degrees down
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x1 << "," << c.y1 << "," << c.x2 << "," << c.y2);
    const Segment segment = FieldSegment(c.x1, c.y1, c.x2, c.y2);
    EXPECT_NEAR(segment.angle, c.angle, 1e-6f);
    EXPECT_EQ(IsWall(segment), c.wall);
  }
  // pi, not -pi: the angle lies in (-pi, pi].
  EXPECT_GT(FieldSegment(640, 400, 0, 400).angle, 0);
}

class TouchFieldTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    Field& field = Game().field;
    int i = 0;
    for (const Segment& s : {FieldSegment(0, 400, 640, 400),     // 0: ground
                             FieldSegment(600, 0, 600, 480),     // 1: right wall
                             FieldSegment(0, 300, 640, 300),     // 2: ledge
                             FieldSegment(20, 0, 20, 480),       // 3: left wall
                             FieldSegment(100, 250, 200, 150),   // 4: 45 degree slope
                             FieldSegment(0, 200, 640, 200)}) {  // 5: left over
      field.segments[i++] = s;
    }
    field.count = 5;
  }

  // The index of a found segment, -1 for none.
  static int Index(const Segment* segment) {
    return segment == nullptr ? -1 : static_cast<int>(segment - Game().field.segments.data());
  }
};

TEST_F(TouchFieldTest, GivesTheFirstFloorAndWallInTableOrderAndFloorsOnlyFromAbove) {
  struct Case {
    const char* what;
    Circle a, b;
    bool touched;
    int floor, wall;
  };
  const Case cases[] = {
      {"standing on the ground", {300, 393, 8}, {316, 393, 8}, true, 0, -1},
      {"centres on the ground's line", {300, 400, 8}, {316, 400, 8}, true, 0, -1},
      {"under the ground", {300, 407, 8}, {316, 407, 8}, false, -1, -1},
      {"one circle under the ledge", {300, 307, 8}, {316, 293, 8}, true, 2, -1},
      {"ground and ledge, ground first", {300, 293, 8}, {300, 393, 8}, true, 0, -1},
      {"ground in the corner", {588, 393, 8}, {596, 393, 8}, true, 0, 1},
      {"a wall from its right side", {604, 100, 8}, {100, 100, 8}, true, -1, 1},
      {"both walls, first in the table", {24, 100, 8}, {596, 100, 8}, true, -1, 1},
      {"above the slope", {140, 200, 8}, {300, 100, 8}, true, 4, -1},
      {"below the slope", {150, 210, 8}, {300, 100, 8}, false, -1, -1},
      {"only the left-over entry", {300, 193, 8}, {316, 193, 8}, false, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Segment* floor = &Game().field.segments[5];
    const Segment* wall = floor;
    EXPECT_EQ(TouchField({c.a, c.b}, &floor, &wall), c.touched);
    EXPECT_EQ(Index(floor), c.floor);
    EXPECT_EQ(Index(wall), c.wall);
  }
}

}  // namespace
}  // namespace game::testing
