#include "game/media.h"

#include <algorithm>
#include <string>
#include <vector>

#include "tests/game/game_fixture.h"

namespace game::testing {
namespace {

const std::vector<std::string> kMediaOrder = {
    "media\\chara\\yusya.png", "media\\chara\\yusya2.png", "media\\weapon01.bmp",
    "media\\bullet01.bmp",     "media\\opening.png",       "media\\clash01.bmp",
    "media\\hit01.bmp",        "media\\chara\\1p.png",     "media\\chara\\2p.png",
    "media\\sentou1.mp3",      "media\\power33.wav",       "media\\fire.mp3",
    "media\\hit_p07.wav",      "media\\slash.mp3",         "media\\levelup.mp3",
    "media\\hit.mp3",          "media\\start.mp3",         "media\\opening.mp3",
    "media\\win.mp3"};

std::vector<std::string> MediaLoaded() {
  std::vector<std::string> media;
  for (const std::string& path : Fake().loaded) {
    if (path == "media\\back.png" || path == "media\\enemy04.bmp" ||
        path == "media\\firstmap.txt") {
      continue;  // ResetBattle's own files
    }
    media.push_back(path);
  }
  return media;
}

TEST_F(GameTest, LoadsTheNineteenMediaInOrderAndThenResetsTheBattle) {
  EXPECT_EQ(LoadMedia(), 1);
  EXPECT_EQ(MediaLoaded(), kMediaOrder);
  EXPECT_EQ(Fake().loaded.back(), "media\\firstmap.txt");
  EXPECT_EQ(Game().player1.x, 200);
  // The sprite sheets are cut into seven frames each, one handle a frame.
  EXPECT_EQ(Game().player2.frames[6] - Game().player2.frames[0], 6);
  EXPECT_NE(Game().media.winSound, -1);
}

TEST_F(GameTest, ARequiredFileStopsLoadingAtItself) {
  for (const char* missing :
       {"media\\chara\\yusya.png", "media\\clash01.bmp", "media\\slash.mp3", "media\\win.mp3"}) {
    SCOPED_TRACE(missing);
    Fake() = FakeKumo{};
    Fake().missingFiles = {missing};
    EXPECT_EQ(LoadMedia(), -1);
    EXPECT_EQ(MediaLoaded().back(), missing);
    EXPECT_EQ(std::count(Fake().loaded.begin(), Fake().loaded.end(), "media\\firstmap.txt"), 0);
  }
}

TEST_F(GameTest, TheTwoLabelsMayBeMissing) {
  Fake().missingFiles = {"media\\chara\\1p.png", "media\\chara\\2p.png"};
  EXPECT_EQ(LoadMedia(), 1);
  EXPECT_EQ(MediaLoaded(), kMediaOrder);
  EXPECT_EQ(Game().player1.label, -1);
  EXPECT_EQ(Game().player2.label, -1);
}

}  // namespace
}  // namespace game::testing
