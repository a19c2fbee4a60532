#include "game/controls.h"

#include "game/game_state.h"
#include "kumo/kumo.h"

namespace game {

const Controls& ControlsOf(const Fighter& fighter) {
  return &fighter == &Game().player1 ? kPlayer1Controls : kPlayer2Controls;
}

bool Held(int key) { return IsKeyDown(key) == 1; }

}  // namespace game
