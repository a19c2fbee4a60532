// The screen objects of the current mode: made after every mode change, destroyed before it.
#pragma once

namespace kumo {

// Software mode: primary, back and depth memory images. Otherwise the primary (with a back
// buffer in full screen), the back surface, two work surfaces and the depth buffer. 0, or -1
// when the depth buffer cannot be made; every other failure ends the program.
int CreateScreenSurfaces();
void DestroyScreenSurfaces();

// The fixed palette on the primary surface of an 8-bit screen; a failure ends the program.
void CreateScreenPalette();
void ReleaseScreenPalette();

}  // namespace kumo
