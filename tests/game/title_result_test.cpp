// The title, the start of a battle, the winner, the result screen and the way back; and a whole
// round through the frame loop.
#include "game/title_result.h"

#include <string>
#include <vector>

#include "game/game_main.h"
#include "game/scenes.h"
#include "tests/game/battle_fixture.h"

namespace game::testing {
namespace {

using Sound = FakeKumo::Sound;

const std::string k1PWin = "1P　Win！！";
const std::string k2PWin = "2P　Win！！";

class SceneTest : public BattleTest {
 protected:
  void SetUp() override {
    BattleTest::SetUp();
    StandOnGround(200, 400);
  }

  // One pass of the frame loop's scene work with `keys` held.
  static void Pass(std::set<int> keys = {}) {
    Fake().keysDown = std::move(keys);
    UpdateScene(Game().scene);
    Fake().now += kFrameMillis;
  }

  // Passes with `keys` held until the scene changes; false after `limit` passes.
  static bool PassUntilSceneChanges(std::set<int> keys, int limit = 400) {
    const int scene = Game().scene;
    for (int i = 0; i < limit && Game().scene == scene; ++i) Pass(keys);
    return Game().scene != scene;
  }

  // A bullet of `owner` that reaches the opponent standing at `targetX` within one frame.
  static void BulletAt(Fighter& owner, int slot, float targetX) {
    const float vx = owner.facingLeft != 0 ? -500.0f : 500.0f;
    owner.bullets[slot] = {1, targetX - vx * 0.016f, kStandingY, vx, 0, owner.facingLeft};
  }

  // The texts of the winner's message drawn since the last clear.
  static std::vector<std::string> Messages() {
    std::vector<std::string> messages;
    for (const FakeKumo::Text& t : Fake().texts) {
      if (t.text.find("Win") != std::string::npos) messages.push_back(t.text);
    }
    return messages;
  }
};

TEST_F(SceneTest, TheWinnerIsTheOneWhoseOpponentWasSetToZero) {
  struct Case {
    const char* what;
    int hitsOn1P, hitsOn2P;
    std::string message;  // empty: none
  };
  const Case cases[] = {
      {"2P down", 0, 1, k1PWin},
      {"1P down", 1, 0, k2PWin},
      // 2P is set to 0 first; 1P keeps its hp, and the message goes by it.
      {"both down to exactly 0", 1, 1, ""},
      {"both down, 1P below 0", 2, 1, k1PWin},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Game().scene = Battle;
    Game().winSoundOn = 0;
    StandOnGround(200, 400);
    P1().hp = P2().hp = 1;
    for (int i = 0; i < c.hitsOn1P; ++i) BulletAt(P2(), i, 200);
    for (int i = 0; i < c.hitsOn2P; ++i) BulletAt(P1(), i, 400);
    Pass();
    ASSERT_EQ(Game().scene, Result);
    Fake().texts.clear();
    Fake().measuredLengths.clear();
    Pass();
    const std::vector<std::string> messages = Messages();
    if (c.message.empty()) {
      EXPECT_TRUE(messages.empty());
      continue;
    }
    ASSERT_EQ(messages, std::vector<std::string>{c.message});
    // Centred on x = 320: 11 bytes of 7 px, halved toward zero.
    const FakeKumo::Text& shown = Fake().texts.back();
    EXPECT_EQ(std::make_pair(shown.x, shown.y), std::make_pair(320 - 77 / 2, 160));
    EXPECT_EQ(shown.color, 0xFFFFFF);
    EXPECT_EQ(Fake().measuredLengths, std::vector<int>{11});
    EXPECT_EQ(Fake().fontSize, 100);
    EXPECT_EQ(Fake().fontWeight, 9);
    EXPECT_EQ(Fake().fontStyle, 1);
  }
}

TEST_F(SceneTest, AWinnerHitDownToZeroDuringTheResultTakesTheMessageAway) {
  P1().hp = 1;
  P2().hp = 0;
  Pass();
  ASSERT_EQ(Game().scene, Result);
  const int deadline = Game().resultDeadline;
  Pass();
  EXPECT_EQ(Messages(), std::vector<std::string>{k1PWin});
  BulletAt(P2(), 0, 200);  // the battle goes on under the message
  Fake().texts.clear();
  Pass();
  EXPECT_EQ(P1().hp, 0);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Game().resultDeadline, deadline);
}

TEST_F(SceneTest, TheResultLastsThreeSecondsFromTheFirstDeclarationThenTheTitleMusicRestarts) {
  const int declared = Fake().now;
  DeclareWinner();
  Fake().now += 1000;
  DeclareWinner();  // called again in every frame a fighter stays down
  EXPECT_EQ(Game().resultDeadline, declared + 3000);
  EXPECT_EQ(Started(M().winSound), 1);
  EXPECT_EQ(Fake().sounds.back(), (Sound{"StopSound", M().battleMusic}));

  P1().level = 3, P1().hitCount = 7, P1().energy = 2, P1().hp = 0;
  P2().level = 2, P2().hitCount = 1, P2().energy = 0, P2().hp = 9;
  P1().x = 123;
  Fake().now = declared + 3000;
  UpdateResult();
  EXPECT_EQ(Game().scene, Result);  // due, not yet past
  Fake().now += 1;
  Fake().sounds.clear();
  UpdateResult();
  EXPECT_EQ(Game().scene, Title);
  for (const Fighter* f : {&P1(), &P2()}) {
    EXPECT_EQ(f->hp, 20);
    EXPECT_EQ(f->level, 1);
    EXPECT_EQ(f->energy, 15);
    EXPECT_EQ(f->hitCount, 0);
  }
  EXPECT_EQ(P1().x, 123);  // positions wait for the next battle's reset
  UpdateTitle();
  EXPECT_EQ(Fake().sounds, (std::vector<Sound>{{"StopSound", M().battleMusic},
                                               {"StartSound", M().titleMusic, 3, 1}}));
}

// The deadline is kept in the clock's 31 bits, so one set just before the clock wraps still
// ends the result three seconds later.
TEST_F(SceneTest, AResultDeadlineAcrossTheClockWrapFallsDueOnTime) {
  for (const unsigned tick : {0x7FFFFFFFu - 1000, 0xFFFFFFFFu - 1000}) {
    SCOPED_TRACE(tick);
    Game().scene = Battle;
    Game().winSoundOn = 0;
    Fake().now = static_cast<int>(tick);
    DeclareWinner();
    Fake().now = static_cast<int>(tick + 3000);
    UpdateResult();
    EXPECT_EQ(Game().scene, Result);
    Fake().now = static_cast<int>(tick + 3001);
    UpdateResult();
    EXPECT_EQ(Game().scene, Title);
  }
}

TEST_F(SceneTest, SpaceHeldThroughTheEndOfTheResultStartsNoBattle) {
  P2().hp = 0;
  Pass({kSpace});
  ASSERT_EQ(Game().scene, Result);
  ASSERT_TRUE(PassUntilSceneChanges({kSpace}));
  ASSERT_EQ(Game().scene, Title);
  for (int i = 0; i < 5; ++i) Pass({kSpace});
  EXPECT_EQ(Game().scene, Title);
  Pass();
  EXPECT_EQ(Game().scene, Title);
  Pass({kSpace});
  EXPECT_EQ(Game().scene, Battle);
}

// Up held in the last battle frame keeps the shared flag set, so a Space pressed as the title
// comes up does not count; without Up it does.
TEST_F(SceneTest, UpHeldAtTheEndOfABattleHoldsBackTheSpaceKey) {
  for (const bool upHeld : {true, false}) {
    SCOPED_TRACE(upHeld ? "Up held" : "Up up");
    Game().scene = Battle;
    Game().winSoundOn = 0;
    P2().hp = 0;
    Pass();
    ASSERT_TRUE(PassUntilSceneChanges(upHeld ? std::set<int>{kUp} : std::set<int>{}));
    Pass({kSpace});
    EXPECT_EQ(Game().scene, upHeld ? Title : Battle);
    P2().hp = 20;
  }
}

// The Space press that started the battle sets the shared flag: 2P must let Up go once before
// it can jump, while 1P's own flag lets it jump at once.
TEST_F(SceneTest, UpHeldAsABattleStarts2PCannotJumpUntilItIsReleased) {
  Game().scene = Title;
  Pass();
  Pass({kSpace, kUp, kW});
  ASSERT_EQ(Game().scene, Battle);
  Pass({kUp, kW});
  Pass({kUp, kW});
  EXPECT_EQ(P1().jumping, 1);
  EXPECT_EQ(P2().jumping, 0);
  Pass();
  Pass({kUp});
  EXPECT_EQ(P2().jumping, 1);
}

TEST_F(SceneTest, TheTitlePlaysItsMusicOnceAndSpaceStartsTheBattle) {
  Game().scene = Title;
  Game().winSoundOn = 1;
  P1().x = P2().x = 5;
  Pass();
  Pass();
  EXPECT_EQ(Game().winSoundOn, 0);
  EXPECT_EQ(Fake().sounds, (std::vector<Sound>{{"StartSound", M().titleMusic, 3, 1}}));
  ASSERT_FALSE(Fake().pictures.empty());
  EXPECT_EQ(Fake().pictures.back().handle, M().titlePicture);
  EXPECT_EQ(std::make_pair(Fake().pictures.back().x, Fake().pictures.back().y),
            std::make_pair(320, 240));

  Fake().sounds.clear();
  Pass({kSpace});
  EXPECT_EQ(Game().scene, Battle);
  EXPECT_EQ(Fake().sounds, (std::vector<Sound>{{"StartSound", M().startSound, 1, 1},
                                               {"StopSound", M().titleMusic},
                                               {"StartSound", M().battleMusic, 3, 1}}));
  EXPECT_EQ(std::make_pair(P1().x, P2().x), std::make_pair(200.0f, 400.0f));
}

// Title, Space, a battle in which 2P shoots 1P down, the result, and the title again, all
// through GameMain's loop with the keys scripted frame by frame.
TEST_F(GameTest, AWholeRoundRunsThroughTheFrameLoop) {
  Fake().now = 5000;
  Fake().millisPerFrame = 17;
  Game().player1.hp = 1;
  std::vector<int> scenes;  // each scene once as it comes
  int frame = 0, lastFrame = 2000;
  Fake().onFlipScreen = [&] {
    ++frame;
    if (scenes.empty() || scenes.back() != Game().scene) scenes.push_back(Game().scene);
    if (frame == 3) Fake().keysDown = {kSpace};
    if (frame == 6) Fake().keysDown = {kComma};  // 2P, on the right, shoots left
    if (scenes.size() == 4 && lastFrame == 2000) lastFrame = frame + 1;  // one title frame
    if (frame == lastFrame) Fake().processMessageCallsUntilEnd = Fake().processMessageCalls;
  };
  EXPECT_EQ(GameMain(""), 0);
  EXPECT_EQ(scenes, (std::vector<int>{Title, Battle, Result, Title}));
  EXPECT_EQ(Game().player1.hp, 20);

  const Media& m = Game().media;
  std::vector<Sound> sounds;  // each run of repeats once
  for (const Sound& s : Fake().sounds) {
    if (sounds.empty() || !(sounds.back() == s)) sounds.push_back(s);
  }
  EXPECT_EQ(sounds, (std::vector<Sound>{{"StartSound", m.titleMusic, 3, 1},
                                        {"StartSound", m.startSound, 1, 1},
                                        {"StopSound", m.titleMusic},
                                        {"StartSound", m.battleMusic, 3, 1},
                                        {"StartSound", m.fireSound, 1, 1},
                                        {"StartSound", m.hitSound, 1, 1},
                                        {"StartSound", m.winSound, 1, 1},
                                        {"StopSound", m.battleMusic},
                                        {"StartSound", m.titleMusic, 3, 1}}));
  bool shown = false;
  for (const FakeKumo::Text& t : Fake().texts) shown = shown || t.text == k2PWin;
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace game::testing
