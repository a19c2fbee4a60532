// The scenes' per-frame updates, each drawing as it goes.
#pragma once

namespace game {

void UpdateTitle();
void UpdateBattle();
void UpdateResult();

// One frame of the current scene: the title, the battle, or the battle under the result.
void UpdateScene(int scene);

}  // namespace game
