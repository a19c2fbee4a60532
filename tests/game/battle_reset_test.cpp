#include "game/battle_reset.h"

#include <algorithm>
#include <string>

#include "tests/game/game_fixture.h"

namespace game::testing {
namespace {

const std::pair<std::string, std::string> kLoadErrorBox = {"読み込みエラー",
                                                           "ゲームを終了してください"};

TEST_F(GameTest, ResetPlacesTheFightersAndFreesOnly2PsBullets) {
  Game().player1 = {};
  Game().player1.x = 17;
  Game().player1.vx = 3;
  Game().player1.hp = 4;
  Game().player1.bullets[1].active = 1;
  Game().player2.vy = -9;
  for (BulletSlot& bullet : Game().player2.bullets) bullet.active = 1;

  ResetBattle();
  const Fighter& p1 = Game().player1;
  const Fighter& p2 = Game().player2;
  EXPECT_EQ(std::make_pair(p1.x, p1.y), std::make_pair(200.0f, 40.0f));
  EXPECT_EQ(std::make_pair(p2.x, p2.y), std::make_pair(400.0f, 40.0f));
  EXPECT_EQ(std::make_pair(p1.vx, p1.vy), std::make_pair(0.0f, 0.0f));
  EXPECT_EQ(std::make_pair(p2.vx, p2.vy), std::make_pair(0.0f, 0.0f));
  EXPECT_EQ(p1.hp, 4);  // nothing else is touched
  EXPECT_EQ(p1.bullets[1].active, 1);
  for (const BulletSlot& bullet : p2.bullets) EXPECT_EQ(bullet.active, 0);
  EXPECT_TRUE(Fake().messageBoxes.empty());
}

TEST_F(GameTest, ResetLoadsItsTwoPicturesOnlyOnTheFirstCall) {
  ResetBattle();
  ResetBattle();
  EXPECT_EQ(std::count(Fake().loaded.begin(), Fake().loaded.end(), "media\\back.png"), 1);
  EXPECT_EQ(std::count(Fake().loaded.begin(), Fake().loaded.end(), "media\\enemy04.bmp"), 1);
  EXPECT_EQ(std::count(Fake().loaded.begin(), Fake().loaded.end(), "media\\firstmap.txt"), 2);
}

TEST_F(GameTest, AMissingFieldOrPictureShowsTheLoadErrorAndTheGameGoesOn) {
  for (const char* missing : {"media\\firstmap.txt", "media\\back.png", "media\\enemy04.bmp"}) {
    SCOPED_TRACE(missing);
    Fake() = FakeKumo{};
    Game() = GameState{};
    Fake().missingFiles = {missing};
    ResetBattle();
    ASSERT_EQ(Fake().messageBoxes.size(), 1u);
    EXPECT_EQ(Fake().messageBoxes[0], kLoadErrorBox);
    EXPECT_EQ(Game().player2.x, 400);
  }
}

}  // namespace
}  // namespace game::testing
