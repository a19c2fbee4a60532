// The hit tests of a battle frame: bullets and weapon lines against the opponent's body.
#pragma once

namespace game {

// Tests 2P's bullets, 1P's bullets, 2P's weapon and 1P's weapon, in that order, against the
// bodies as they stood when the call began; then the level rule and the screen-edge clamp.
void CheckHits();

// Raises the level of a fighter whose hit count reached 5 x level, 2P first, up to level 5.
void CheckLevelUp();

}  // namespace game
