#include "game/game_main.h"

#include <cstring>

#include "game/game_state.h"
#include "game/media.h"
#include "game/scenes.h"
#include "kumo/kumo.h"

namespace game {

namespace {

constexpr int kEscapeKey = 0x01;
constexpr float kLongestFrame = 0.03f;

}  // namespace

void UpdateScene(int scene) {
  switch (scene) {
    case Title:
      UpdateTitle();
      break;
    case Battle:
      UpdateBattle();
      break;
    case Result:
      // The battle goes on running and drawing under the result message.
      UpdateBattle();
      UpdateResult();
      break;
    default:
      break;
  }
}

float MeasureFrameTime(int now, int lastTick) {
  const float seconds = static_cast<float>(static_cast<double>(now - lastTick) / 1000.0);
  return seconds > kLongestFrame ? kLongestFrame : seconds;
}

int GameMain(const char* commandLine) {
  if (std::strcmp(commandLine, "-f") != 0) ChangeWindowMode(1);
  if (InitLibrary() == -1) return -1;
  SetDrawTarget(-2);
  if (LoadMedia() == -1) return -1;

  GameState& game = Game();
  game.lastTick = GameClock();
  while (ProcessMessage() == 0) {
    if (IsKeyDown(kEscapeKey) == 1) break;
    ClearScreen();
    UpdateScene(game.scene);
    FlipScreen();
    const int now = GameClock();
    game.frameTime = MeasureFrameTime(now, game.lastTick);
    game.lastTick = now;
  }
  EndLibrary();
  return 0;
}

}  // namespace game
