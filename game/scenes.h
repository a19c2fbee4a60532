// The scenes' per-frame updates, each drawing as it goes.
#pragma once

namespace game {

void UpdateTitle();
void UpdateBattle();
void UpdateResult();

}  // namespace game
