// A fighter's weapons: bullets that cost energy and fly straight, a sword that sweeps a quarter
// turn, and from level 3 the dash a held swing charges.
#pragma once

#include "game/fighter.h"

namespace game {

// One fire attempt: a bullet from the first free slot, for 2 energy. Without the energy only
// the shooting pose starts; with all three slots flying nothing happens.
void FireBullet(Fighter& fighter);

// Moves and draws the fighter's bullets and retires those that left the area around the screen.
void UpdateBullets(Fighter& fighter);

// Advances the sword and sets the weapon line the hit tests use; from level 3 also the dash.
void UpdateSwing(Fighter& fighter);

// Charges the dash while the swing key stays held, and runs it once the key is let go.
void UpdateDash(Fighter& fighter);

}  // namespace game
