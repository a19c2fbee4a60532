// The game's pictures and sounds.
#pragma once

namespace game {

// Loads the media table in its order: 1, or -1 at the first required file that fails (the
// files after it are not loaded). On success it ends with ResetBattle.
int LoadMedia();

}  // namespace game
