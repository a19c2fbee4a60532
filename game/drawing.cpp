#include "game/drawing.h"

#include "game/game_state.h"
#include "kumo/kumo.h"

namespace game {

void DrawFrame(float x, float y, int mirror, int picture) {
  PutGraphRotated(static_cast<int>(x), static_cast<int>(y), 1.0, 0.0, picture, 1, mirror);
}

void DrawCentred(int picture) { PutGraphRotated(320, 240, 1.0, 0.0, picture, 1, 0); }

void DrawAnimated(float x, float y, int mirror, const int* frames, int count, int fps) {
  const int tick = static_cast<int>(GameClock() / (1000.0 / fps));
  DrawFrame(x, y, mirror, frames[tick % count]);
}

}  // namespace game
