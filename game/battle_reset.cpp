#include "game/battle_reset.h"

#include "game/field.h"
#include "game/game_state.h"
#include "kumo/kumo.h"

namespace game {

void ResetBattle() {
  GameState& game = Game();
  if (!game.resetPicturesLoaded) {
    game.resetPicturesLoaded = true;
    game.fieldBackground = LoadGraphFile("media\\back.png", 0);
    game.sparePicture = LoadGraphFile("media\\enemy04.bmp", 0);
  }

  const int file = FileOpenForRead("media\\firstmap.txt", 0);
  const bool fieldRead = file != 0 && LoadField(file) != -1;
  if (!fieldRead || game.fieldBackground == -1 || game.sparePicture == -1) {
    ShowMessageBox("読み込みエラー", "ゲームを終了してください");
  }

  game.player2.x = 400;
  game.player2.y = 40;
  game.player1.x = 200;
  game.player1.y = 40;
  for (Fighter* fighter : {&game.player2, &game.player1}) {
    fighter->vx = 0;
    fighter->vy = 0;
  }
  // Only 2P's bullets are cleared; 1P's stay as they are.
  for (BulletSlot& bullet : game.player2.bullets) bullet.active = 0;
}

}  // namespace game
