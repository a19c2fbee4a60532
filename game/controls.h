// Both fighters share one keyboard: each has its own six keys, as keyboard scan codes.
#pragma once

#include "game/fighter.h"

namespace game {

struct Controls {
  int left, right, jump, guard, fire, swing;
};

constexpr Controls kPlayer1Controls{0x1E, 0x20, 0x11, 0x1F, 0x02, 0x03};  // A D W S 1 2
constexpr Controls kPlayer2Controls{0xCB, 0xCD, 0xC8, 0xD0, 0x33, 0x34};  // arrows , .

constexpr int kSpaceKey = 0x39;  // starts a battle from the title

// The keys of Player1 or Player2.
const Controls& ControlsOf(const Fighter& fighter);

// True while the key is held.
bool Held(int key);

}  // namespace game
