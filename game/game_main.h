// The game's entry: start-up, the frame loop and the end.
#pragma once

namespace game {

// Runs the whole game. Exactly "-f" keeps the library's full screen; any other command line
// runs in a window. 0 after a normal end, -1 when the library or the media fail to start.
int GameMain(const char* commandLine);

// The frame time after a frame that ended at `now`, with the previous frame's end at
// `lastTick` (game clock): seconds, clamped at 0.03 so that a late frame keeps the physics
// stable.
float MeasureFrameTime(int now, int lastTick);

}  // namespace game
