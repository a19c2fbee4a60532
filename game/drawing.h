// Drawing pictures centred on a point, still or animated.
#pragma once

namespace game {

// The picture centred on (x, y), unscaled, mirrored left to right on request; the position
// truncates toward zero.
void DrawFrame(float x, float y, int mirror, int picture);

// The picture centred on the 640 x 480 screen.
void DrawCentred(int picture);

// One of `count` frames, chosen by the game clock at `fps` frames per second.
void DrawAnimated(float x, float y, int mirror, const int* frames, int count, int fps);

}  // namespace game
