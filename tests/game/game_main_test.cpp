#include "game/game_main.h"

#include <algorithm>
#include <string>

#include "tests/game/game_fixture.h"

namespace game::testing {
namespace {

int Count(const std::string& call) {
  return static_cast<int>(std::count(Fake().calls.begin(), Fake().calls.end(), call));
}

TEST_F(GameTest, OnlyExactlyDashFRunsFullScreen) {
  struct Case {
    const char* commandLine;
    bool window;
  };
  const Case cases[] = {{"-f", false}, {"", true}, {"-F", true}, {"-f ", true}, {"-f x", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.commandLine + "\"");
    Fake() = FakeKumo{};
    Fake().initLibraryResult = -1;
    EXPECT_EQ(GameMain(c.commandLine), -1);
    EXPECT_EQ(Count("ChangeWindowMode(1)"), c.window ? 1 : 0);
    EXPECT_EQ(Count("ChangeWindowMode(0)"), 0);
  }
}

TEST_F(GameTest, StartUpFailuresEndTheProgramWithoutEndLibrary) {
  Fake().initLibraryResult = -1;
  EXPECT_EQ(GameMain(""), -1);
  EXPECT_EQ(Fake().calls, (std::vector<std::string>{"ChangeWindowMode(1)", "InitLibrary"}));

  Fake() = FakeKumo{};
  Fake().missingFiles = {"media\\slash.mp3"};
  EXPECT_EQ(GameMain(""), -1);
  EXPECT_EQ(Count("SetDrawTarget(-2)"), 1);
  EXPECT_EQ(Count("EndLibrary"), 0);
  EXPECT_EQ(Count("ProcessMessage"), 0);
}

TEST_F(GameTest, FrameLoopRunsItsPassesUntilProcessMessageAsksToEnd) {
  Fake().processMessageCallsUntilEnd = 2;
  EXPECT_EQ(GameMain(""), 0);
  // ProcessMessage once before the first pass and then at the end of every pass; the scene
  // draws in between.
  std::vector<std::string> loop;
  for (const std::string& call : Fake().calls) {
    if (call == "ProcessMessage" || call == "ClearScreen" || call == "FlipScreen" ||
        call == "EndLibrary") {
      loop.push_back(call);
    }
  }
  EXPECT_EQ(loop, (std::vector<std::string>{"ProcessMessage", "ClearScreen", "FlipScreen",
                                            "ProcessMessage", "ClearScreen", "FlipScreen",
                                            "ProcessMessage", "EndLibrary"}));
}

TEST_F(GameTest, HeldEscapeEndsTheProgramAtTheNextPass) {
  Fake().keysDown = {0x01};
  EXPECT_EQ(GameMain(""), 0);
  EXPECT_EQ(Count("ClearScreen"), 0);
  EXPECT_EQ(Fake().calls.back(), "EndLibrary");
}

// The frame time is what the previous frame took, clamped at 0.03 s.
TEST_F(GameTest, FrameTimeIsClampedAtThirtyMilliseconds) {
  struct Case {
    int millisPerFrame;
    float expected;
  };
  const Case cases[] = {{10, 0.01f}, {17, 0.017f}, {30, 0.03f}, {100, 0.03f}, {0, 0.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.millisPerFrame);
    Fake() = FakeKumo{};
    Game() = GameState{};
    Fake().now = 5000;
    Fake().millisPerFrame = c.millisPerFrame;
    Fake().processMessageCallsUntilEnd = 3;
    EXPECT_EQ(GameMain(""), 0);
    EXPECT_EQ(Game().frameTime, c.expected);
    EXPECT_EQ(Game().lastTick, 5000 + 3 * c.millisPerFrame);
  }
}

TEST_F(GameTest, FrameTimeIsMeasuredInDoublePrecisionAndStoredAsFloat) {
  EXPECT_EQ(MeasureFrameTime(1017, 1000), static_cast<float>(17 / 1000.0));
  EXPECT_EQ(MeasureFrameTime(1100, 1000), 0.03f);
}

TEST_F(GameTest, FirstFrameUsesTheStartingFrameTime) { EXPECT_EQ(Game().frameTime, 0.017f); }

}  // namespace
}  // namespace game::testing
