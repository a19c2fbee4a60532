// The whole game on the headless backend, played by a script, looked at through its frames.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "game/game_main.h"
#include "game/game_state.h"
#include "kumo/platform/headless/script.h"
#include "kumo/render/display.h"
#include "tests/common/png_file.h"

namespace game {
namespace {

namespace fs = std::filesystem;

// A picture reduced to the 5, 6 and 5 top bits the 16-bit screen keeps of each channel.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  uint16_t At(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return static_cast<uint16_t>((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | (p[2] >> 3));
  }
};

Picture Read(const fs::path& path) {
  png_uint_32 width = 0, height = 0;
  Picture picture;
  picture.rgb = kumo::testing::ReadPngRgb(path.string(), &width, &height);
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  return picture;
}

// Where a frame differs from a background picture, and how far: the bounding box and the mean
// column of the differing pixels inside a band of columns.
struct Difference {
  int count = 0;
  int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
  double meanX = 0;
};

Difference Compare(const Picture& frame, const Picture& background, int fromX, int toX) {
  Difference d;
  double sumX = 0;
  for (int y = 0; y < frame.height; ++y) {
    for (int x = fromX; x < toX; ++x) {
      if (frame.At(x, y) == background.At(x, y)) continue;
      ++d.count;
      sumX += x;
      d.left = std::min(d.left, x);
      d.right = std::max(d.right, x);
      d.top = std::min(d.top, y);
      d.bottom = std::max(d.bottom, y);
    }
  }
  if (d.count > 0) d.meanX = sumX / d.count;
  return d;
}

// Runs the game from a directory of its own that sees the media, in software mode or in
// hardware mode, with a script; its shots land in that directory.
class GameRun : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = fs::current_path();
    char name[] = "/tmp/kumo_game_run_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    fs::create_directory_symlink(fs::path(KUMO_SOURCE_DIR) / "media", dir_ / "media");
    fs::current_path(dir_);
    Game() = GameState{};
  }
  void TearDown() override {
    fs::current_path(saved_);
    // A failed run leaves its frames and its log to be looked at.
    if (!HasFailure()) fs::remove_all(dir_);
  }

  // The game's exit value.
  int RunIn(bool software, const std::string& script) {
    std::string error;
    EXPECT_TRUE(kumo::platform::headless::UseScript(script, &error)) << error;
    if (software) kumo::SetUseSoftwareRender(0);
    Game() = GameState{};
    return GameMain("");
  }

  fs::path dir_, saved_;
};

// The same run in software mode (true) and in hardware mode.
class GameRunTest : public GameRun, public ::testing::WithParamInterface<bool> {
 protected:
  int Run(const std::string& script) { return RunIn(GetParam(), script); }
};

const char* ModeName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "Software" : "Hardware";
}

TEST_P(GameRunTest, TheTitleShowsTheOpeningPicture) {
  ASSERT_EQ(Run("3 shot title.png\n4 close\n"), 0);
  const Picture frame = Read(dir_ / "title.png");
  const Picture opening = Read(fs::path(KUMO_SOURCE_DIR) / "media" / "opening.png");
  ASSERT_EQ(frame.width, 640);
  ASSERT_EQ(frame.height, 480);
  ASSERT_EQ(opening.width, 640);
  EXPECT_EQ(Compare(frame, opening, 0, 640).count, 0);
}

// Space starts the battle on the field's background with both fighters at their start, 1P on
// the left and 2P on the right; 2P walks left while LEFT is held.
TEST_P(GameRunTest, TheBattleShowsBothFightersAndTwoPlayerWalksLeft) {
  ASSERT_EQ(Run("3 down SPACE\n"
                "4 up SPACE\n"
                "6 shot start.png\n"
                "150 shot landed.png\n"
                "151 down LEFT\n"
                "200 shot walked.png\n"
                "201 up LEFT\n"
                "202 close\n"),
            0);
  const Picture back = Read(fs::path(KUMO_SOURCE_DIR) / "media" / "back.png");
  const Picture start = Read(dir_ / "start.png");
  ASSERT_EQ(start.width, 640);
  // Each fighter (a 192 x 64 cell centred on it) and its label above it are all that differs.
  const Difference p1 = Compare(start, back, 0, 320), p2 = Compare(start, back, 320, 640);
  ASSERT_GT(p1.count, 0);
  ASSERT_GT(p2.count, 0);
  EXPECT_NEAR(p1.meanX, 200, 24);
  EXPECT_NEAR(p2.meanX, 400, 24);
  EXPECT_GE(p1.left, 200 - 96);
  EXPECT_LE(p2.right, 400 + 96);
  EXPECT_LT(p1.bottom, 40 + 32 + 16);
  EXPECT_LT(p2.bottom, 40 + 32 + 16);

  const Difference landed = Compare(Read(dir_ / "landed.png"), back, 300, 640);
  const Difference walked = Compare(Read(dir_ / "walked.png"), back, 300, 640);
  ASSERT_GT(landed.count, 0);
  ASSERT_GT(walked.count, 0);
  EXPECT_LT(walked.meanX, landed.meanX - 20);
}

// Software rendering and the display's surfaces draw the same frames.
TEST_F(GameRun, BothModesDrawTheSameFrames) {
  const std::string script =
      "3 down SPACE\n4 up SPACE\n20 down LEFT\n40 shot %s_a.png\n41 up LEFT\n"
      "80 shot %s_b.png\n81 close\n";
  const auto named = [&](const char* mode) {
    std::string text = script;
    for (size_t at; (at = text.find("%s")) != std::string::npos;) text.replace(at, 2, mode);
    return text;
  };
  ASSERT_EQ(RunIn(false, named("hardware")), 0);
  ASSERT_EQ(RunIn(true, named("software")), 0);
  for (const char* frame : {"_a.png", "_b.png"}) {
    SCOPED_TRACE(frame);
    const Picture hardware = Read(dir_ / (std::string("hardware") + frame));
    const Picture software = Read(dir_ / (std::string("software") + frame));
    ASSERT_EQ(hardware.width, 640);
    EXPECT_EQ(hardware.rgb, software.rgb);
  }
}

INSTANTIATE_TEST_SUITE_P(BothModes, GameRunTest, ::testing::Bool(), ModeName);

}  // namespace
}  // namespace game
