// The parts of the game that are not built yet: the scenes do nothing, so the loop runs on an
// empty screen.
#include "game/scenes.h"

namespace game {

void UpdateTitle() {}
void UpdateBattle() {}
void UpdateResult() {}

}  // namespace game
