// The display object: acquiring it with its log lines, its cooperation with the window, and
// giving it up.
#pragma once

namespace kumo {

// Creates the display object and logs what it is; a failure ends the program.
void AcquireDirectDraw();
// Gives the display object up; a display mode it set goes back to the desktop's.
void ReleaseDirectDraw();
// Shares the display with the desktop, or takes it whole for the window (full screen); a
// failure ends the program.
void SetCooperativeLevel(bool exclusive);

}  // namespace kumo
