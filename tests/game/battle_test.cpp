// Walking, walls, jumping, falling, facing and what a battle frame draws.
#include <cmath>
#include <string>
#include <vector>

#include "game/geometry.h"
#include "tests/game/battle_fixture.h"

namespace game::testing {
namespace {

constexpr float kDegree = 3.14159265f / 180;

TEST_F(BattleTest, WalkingOnAFifteenDegreeFloorFollowsItAt120PixelsASecond) {
  const float angle = -15 * kDegree;  // rising to the right
  const float rise = std::tan(15 * kDegree);
  SetField({{0, 400, 600, 400 - 600 * rise, angle, 0, 0}});
  // Feet 2 px above the floor under the right foot, so both feel it.
  auto stand = [&](Fighter& f, float x) {
    f.x = x;
    f.y = 400 - (x + 8) * rise - 28;
  };
  struct Case {
    const char* what;
    Fighter* fighter;
    int key;
    float direction;
  };
  const Case cases[] = {{"1P up", &P1(), kD, 1},
                        {"1P down", &P1(), kA, -1},
                        {"2P up", &P2(), kRight, 1},
                        {"2P down", &P2(), kLeft, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    stand(P1(), 200);
    stand(P2(), 450);
    const float x = c.fighter->x, y = c.fighter->y;
    Frames({c.key}, 10);
    const float seconds = 10 * 0.016f;
    const float dx = c.fighter->x - x, dy = c.fighter->y - y;
    EXPECT_NEAR(std::hypot(dx, dy) / seconds, 120, 0.01f);
    EXPECT_NEAR(dx, c.direction * 120 * seconds * std::cos(angle), 0.01f);
    EXPECT_NEAR(dy, c.direction * 120 * seconds * std::sin(angle), 0.01f);
  }
}

TEST_F(BattleTest, AWallStopsTheWalkIntoItButNotTheWalkAway) {
  struct Case {
    float startX;
    int toWall, away;
    float awayDirection;
  };
  const Case cases[] = {{270, kD, kA, -1}, {330, kA, kD, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.startX);
    StandOnGround(c.startX, 600);
    SetField({FieldSegment(0, 400, 640, 400), FieldSegment(300, 300, 300, 400)});
    Frames({c.toWall}, 10);
    const float stopped = P1().x;
    // A foot circle (8 px out, radius 8) reached the wall and no further.
    EXPECT_GT(std::fabs(stopped - 300), 14);
    EXPECT_LT(std::fabs(stopped - 300), 16);
    Frames({c.toWall}, 20);
    EXPECT_EQ(P1().x, stopped);
    Frames({c.away}, 5);
    EXPECT_NEAR(P1().x - stopped, c.awayDirection * 5 * 120 * 0.016f, 1e-3f);
  }
}

TEST_F(BattleTest, AJumpPressedInTheAirChangesNothingAndNeedsARelease) {
  StandOnGround(200, 500);
  P1().y = 300;  // 74 px above the ground, at rest
  const GameState start = Game();
  std::vector<float> without;
  for (int i = 0; i < 80; ++i) {
    Frames({});
    without.push_back(P1().y);
  }
  Game() = start;
  for (int i = 0; i < 80; ++i) {
    Frames({kW});
    EXPECT_EQ(P1().y, without[i]) << "frame " << i;
  }
  // Landed with the key still held: no jump until it comes up.
  EXPECT_EQ(P1().vy, 0);
  EXPECT_EQ(P1().jumping, 0);
  Frames({});
  const float ground = P1().y;
  Frames({kW});
  EXPECT_EQ(P1().vy, -280);
  EXPECT_NEAR(P1().y, ground - 280 * 0.016f, 1e-3f);
}

// With no field both fighters fall for ever; gravity stops adding at 400 px/s.
TEST_F(BattleTest, FallingFromRestReaches400PixelsASecondAfterAbout133Seconds) {
  for (const float dt : {0.016f, 0.01f, 0.03f}) {
    SCOPED_TRACE(dt);
    SetField({});
    P1().y = P2().y = 40;
    P1().vy = P2().vy = 0;
    Game().frameTime = dt;
    float fastestAt = -1, longestStep = 0, y = P1().y;
    for (int frame = 1; frame * dt < 20; ++frame) {
      Frames({});
      ASSERT_LE(P1().vy, 400);
      if (P1().vy == 400 && fastestAt < 0) fastestAt = frame * dt;
      longestStep = std::max(longestStep, P1().y - y);
      y = P1().y;
      ASSERT_EQ(P2().y, P1().y);
    }
    EXPECT_GE(fastestAt, 4.0f / 3 - 1e-3f);
    EXPECT_LE(fastestAt, 4.0f / 3 + dt + 1e-3f);
    EXPECT_NEAR(longestStep, 400 * dt, 1e-3f);  // 12 px at the 0.03 s limit
    EXPECT_GT(P1().y, 40 + 400 * 18);
  }
}

TEST_F(BattleTest, FiringStopsTheWalkForThatFrameOnly) {
  StandOnGround(200, 500);
  Frames({kD, k1});
  EXPECT_EQ(P1().x, 200);
  EXPECT_EQ(P1().energy, 13);
  Frames({kD, k1}, 2);
  EXPECT_NEAR(P1().x, 200 + 2 * 120 * 0.016f, 1e-3f);
  EXPECT_EQ(P1().energy, 13);  // one shot per press
}

TEST_F(BattleTest, BothWalkKeysKeepTheFighterStillAndFacingRight) {
  struct Case {
    Fighter* fighter;
    std::set<int> keys;
  };
  for (const Case& c : {Case{&P1(), {kA, kD}}, Case{&P2(), {kLeft, kRight}}}) {
    StandOnGround(200, 400);
    const float x = c.fighter->x;
    Frames(c.keys, 5);
    EXPECT_EQ(c.fighter->x, x);
    EXPECT_EQ(LastFrameDrawn(*c.fighter).second, 0);  // drawn unmirrored
  }
}

TEST_F(BattleTest, FightersFaceEachOtherAndAtEqualX2PFacesRight) {
  struct Case {
    float x2;
    int p2Left, p1Left;
  };
  const Case cases[] = {{301, 1, 0}, {300, 0, 1}, {299, 0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x2);
    SetField({});
    P1().x = 300;
    P2().x = c.x2;
    P2().y = 200;
    Frames({});
    EXPECT_EQ(P2().facingLeft, c.p2Left);
    EXPECT_EQ(P1().facingLeft, c.p1Left);
  }
}

TEST_F(BattleTest, TheFighterIsDrawnWithTheFirstFrameThatFits) {
  struct Case {
    const char* what;
    std::set<int> keys;
    int now;
    int frame;
    int swinging = 0, level = 1, fireDeadlineAhead = -1000;
    float y = kStandingY;
  };
  const Case cases[] = {
      {"standing, at 2 frames a second", {}, 100000, 0},
      {"standing, half a second on", {}, 100500, 1},
      {"walking, a second and a half on", {kD}, 101500, 3},
      {"guarding", {kS}, 100000, 6},
      {"a fresh shot", {k1}, 100500, 4},
      {"fire held in the shooting time, guarding", {k1, kS}, 100000, 4, 0, 1, 10},
      {"fire held after the shooting time, guarding", {k1, kS}, 100000, 6, 0, 1, 0},
      {"swinging", {}, 100500, 5, 1},
      {"swinging at level 2, at 20 frames a second", {}, 100000, 4, 1, 2},
      {"swinging at level 2, 50 ms on", {}, 100050, 5, 1, 2},
      {"in the air", {}, 100500, 0, 0, 1, -1000, 100},
      {"just jumped", {kW}, 100500, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StandOnGround(200, 400);
    P1().y = c.y;
    P1().swinging = c.swinging;
    P1().swingAngle = 0;
    P1().level = c.level;
    P1().firePressed = 0;
    Fake().now = c.now;
    P1().fireDeadline = c.now + c.fireDeadlineAhead;
    Frames(c.keys);
    EXPECT_EQ(LastFrameDrawn(P1()).first, c.frame);
  }
}

TEST_F(BattleTest, AFrameDrawsTheFieldTheNumbersAndTheLabels) {
  StandOnGround(200.7f, 400);
  P1().level = 2, P1().hp = 17, P1().energy = 9;
  P2().level = 3, P2().hp = 5, P2().energy = 11;
  Frames({});
  ASSERT_FALSE(Fake().pictures.empty());
  EXPECT_TRUE(Fake().pictures[0].rotated);
  EXPECT_EQ(Fake().pictures[0].handle, Game().fieldBackground);
  EXPECT_EQ(std::make_pair(Fake().pictures[0].x, Fake().pictures[0].y), std::make_pair(320, 240));

  struct Text {
    int x, y;
    std::string text;
    bool operator==(const Text& o) const { return x == o.x && y == o.y && text == o.text; }
  };
  std::vector<Text> texts;
  for (const FakeKumo::Text& t : Fake().texts) {
    EXPECT_EQ(t.color, 0xFFFFFF);
    texts.push_back({t.x, t.y, t.text});
  }
  EXPECT_EQ(texts, (std::vector<Text>{{251, 60, "2 "},
                                      {251, 95, "3 "},
                                      {305, 60, "17 "},
                                      {305, 95, "5 "},
                                      {370, 60, "9 "},
                                      {370, 95, "11 "}}));
  EXPECT_EQ(Fake().fontSize, 20);
  EXPECT_EQ(Fake().fontWeight, 9);

  std::vector<std::pair<int, int>> labels;
  for (const FakeKumo::Picture& p : Fake().pictures) {
    if (!p.rotated) labels.push_back({p.handle, p.x * 1000 + p.y});
  }
  EXPECT_EQ(labels, (std::vector<std::pair<int, int>>{{P2().label, 370 * 1000 + 270},
                                                      {P1().label, 170 * 1000 + 270}}));
}

}  // namespace
}  // namespace game::testing
