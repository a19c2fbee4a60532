// Puts the battle back to its starting positions.
#pragma once

namespace game {

// Reads the field again, places both fighters and frees 2P's bullets. The first call also loads
// the field background and the spare picture. A field or picture that fails to load is shown in
// a message box; the game goes on with whatever was read.
void ResetBattle();

}  // namespace game
