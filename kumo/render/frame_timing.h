// What a screen-mode change measures on the display: the faster copy between surfaces, and the
// length of a display frame that presenting paces itself by.
#pragma once

namespace kumo {

// Hardware mode: times copies of the primary into a work surface and logs the copy used.
void ChooseSurfaceTransfer();

// The refresh rate and the frame time (software mode: 60 Hz and none), and the margin after a
// vertical blank during which presenting sleeps.
void MeasureFrameTime();

}  // namespace kumo
