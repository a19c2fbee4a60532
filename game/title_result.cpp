#include "game/title_result.h"

#include <cstring>

#include "game/battle_reset.h"
#include "game/controls.h"
#include "game/drawing.h"
#include "game/game_state.h"
#include "game/scenes.h"
#include "game/sounds.h"
#include "kumo/kumo.h"

namespace game {

namespace {

constexpr int kResultMillis = 3000;

// The title's Space key shares its press flag with 2P's jump.
int& SpacePressed() { return Game().player2.jumpPressed; }

// The winner, by the hit points the win test left: none when both are down to exactly 0.
const char* WinnerMessage(const Fighter& p1, const Fighter& p2) {
  if (p2.hp == 0 && p1.hp != 0) return "1P　Win！！";
  if (p1.hp == 0 && p2.hp != 0) return "2P　Win！！";
  return nullptr;
}

void RestoreFighter(Fighter& f) {
  f.hp = kStartHp;
  f.level = kStartLevel;
  f.energy = kStartEnergy;
  f.hitCount = 0;
}

}  // namespace

void UpdateTitle() {
  GameState& game = Game();
  if (game.titleMusicOn == 0) {
    PlayLooped(game.media.titleMusic);
    game.titleMusicOn = 1;
  }
  DrawCentred(game.media.titlePicture);
  game.winSoundOn = 0;
  if (!Held(kSpaceKey)) {
    SpacePressed() = 0;
  } else if (SpacePressed() == 0) {
    SpacePressed() = 1;
    StartBattle();
  }
}

void StartBattle() {
  GameState& game = Game();
  PlayOnce(game.media.startSound);
  StopSound(game.media.titleMusic);
  if (game.scene != Battle) {
    ResetBattle();
    PlayLooped(game.media.battleMusic);
    game.scene = Battle;
  }
}

void DeclareWinner() {
  GameState& game = Game();
  if (game.winSoundOn == 0) {
    game.resultDeadline = ClockAfter(kResultMillis);
    PlayOnce(game.media.winSound);
    game.winSoundOn = 1;
  }
  StopSound(game.media.battleMusic);
  game.scene = Result;
}

void UpdateResult() {
  GameState& game = Game();
  const int white = MakeColor(255, 255, 255);
  SetDefaultFontSize(100);
  SetDefaultFontWeight(9);
  SetDefaultFontStyle(1);
  if (const char* message = WinnerMessage(game.player1, game.player2)) {
    const int width = MeasureText(message, static_cast<int>(std::strlen(message)), 0);
    PrintText(320 - width / 2, 160, message, white, 0);
  }

  if (ClockSince(game.resultDeadline) <= 0) return;
  RestoreFighter(game.player1);
  RestoreFighter(game.player2);
  if (game.scene != Title) {
    game.scene = Title;
    game.titleMusicOn = 0;
    StopSound(game.media.battleMusic);
    // The battle's jump step clears the shared flag while Up is not held, so a Space held
    // through the result would start the next battle at once; it must be pressed anew.
    if (Held(kSpaceKey)) SpacePressed() = 1;
  }
}

}  // namespace game
