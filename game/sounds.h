// The two ways the game starts a sound; both restart a buffer that is still playing.
#pragma once

#include "kumo/kumo.h"

namespace game {

// Plays the sound once, in the background.
inline void PlayOnce(int sound) { StartSound(sound, 1, 1); }

// Plays the sound in a loop until it is stopped.
inline void PlayLooped(int sound) { StartSound(sound, 3, 1); }

}  // namespace game
