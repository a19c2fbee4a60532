// The way from the title into a battle and from a won battle back to the title.
#pragma once

namespace game {

// From the title to the battle: start sound, title music off, the battle reset, battle music.
void StartBattle();

// From the battle to the result screen. Called in every frame a fighter is down; only the first
// call of a battle sets the three-second deadline and plays the win sound.
void DeclareWinner();

}  // namespace game
