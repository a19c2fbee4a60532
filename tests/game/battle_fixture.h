// A battle ready to run: every media handle loaded, both fighters placed, a field of the test's
// choosing, and helpers that run frames with keys held.
#pragma once

#include <initializer_list>
#include <set>

#include "game/field.h"
#include "game/media.h"
#include "game/scenes.h"
#include "tests/game/game_fixture.h"

namespace game::testing {

// Scan codes, named by key.
constexpr int kA = 0x1E, kD = 0x20, kW = 0x11, kS = 0x1F, k1 = 0x02, k2 = 0x03;
constexpr int kLeft = 0xCB, kRight = 0xCD, kUp = 0xC8, kDown = 0xD0, kComma = 0x33, kPeriod = 0x34;
constexpr int kSpace = 0x39;

constexpr int kFrameMillis = 16;

class BattleTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    ASSERT_EQ(LoadMedia(), 1);
    Game().scene = Battle;
    Game().frameTime = 0.016f;
    Fake().now = 100000;
    Fake().sounds.clear();
    Fake().pictures.clear();
  }

  static Fighter& P1() { return Game().player1; }
  static Fighter& P2() { return Game().player2; }
  static const Media& M() { return Game().media; }

  static void SetField(std::initializer_list<Segment> segments) {
    Field& field = Game().field;
    field.count = 0;
    for (const Segment& s : segments) field.segments[field.count++] = s;
  }

  // A level floor at y = 400 across the screen, both fighters standing on it at `x1` and `x2`.
  static void StandOnGround(float x1, float x2) {
    SetField({FieldSegment(0, 400, 640, 400)});
    P1().x = x1;
    P2().x = x2;
    P1().y = P2().y = kStandingY;
  }
  static constexpr float kStandingY = 370;  // feet 4 px above the ground

  // Runs `count` battle frames with `keys` held, the clock moving on by one frame after each.
  static void Frames(std::set<int> keys, int count = 1) {
    Fake().keysDown = std::move(keys);
    for (int i = 0; i < count; ++i) {
      UpdateBattle();
      Fake().now += kFrameMillis;
    }
  }

  // How often `sound` was started since the test began.
  static int Started(int sound) {
    int n = 0;
    for (const FakeKumo::Sound& s : Fake().sounds)
      n += s.operation == "StartSound" && s.handle == sound;
    return n;
  }

  // The animation frame (0 to 6) the fighter was last drawn with, and its mirror flag.
  static std::pair<int, int> LastFrameDrawn(const Fighter& f) {
    for (auto p = Fake().pictures.rbegin(); p != Fake().pictures.rend(); ++p) {
      for (int i = 0; i < kAnimationFrames; ++i) {
        if (p->handle == f.frames[i]) return {i, p->mirror};
      }
    }
    return {-1, -1};
  }
};

}  // namespace game::testing
