// The software screens and the window: the back image drawn into the window, and the front
// image kept in step with what the window shows.
#pragma once

#include "kumo/kumo.h"

namespace kumo {

// Draws the back image onto `destination` of the client area, stretched when the sizes differ.
void DrawBackToWindow(const Rect& destination);

}  // namespace kumo
