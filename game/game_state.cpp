#include "game/game_state.h"

#include "kumo/kumo.h"

namespace game {

GameState& Game() {
  static GameState state;
  return state;
}

int GameClock() { return GetTickMillis(0) & 0x7FFFFFFF; }

}  // namespace game
