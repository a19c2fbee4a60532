// The display: its start and end, the screen mode, and what the rest of the library asks of the
// screens (their images, presenting, the vertical blank, colours in the screen's format).
#pragma once

#include <cstdint>

#include "kumo/kumo.h"

namespace kumo {

struct MEMIMG;

// Brings the display up in the current screen mode; -1 on failure (everything released again).
int InitDirectDraw();
// Releases the display; nothing while it is not up.
int EndDirectDraw();

// Changes the screen mode; -1 keeps a value, `force` 1 changes even when nothing differs. 0, -2
// when the display fell back to 640 x 480 x 16, or -1 when the screens could not be made.
int ChangeScreenMode(int width, int height, int depth, int force, int refreshRate);
// Makes the screens again for a desktop that changed under a window.
void RebuildScreenSurfaces();

// 0 selects software rendering for good; with the display up, the screens are made again.
int SetUseSoftwareRender(int hardware);
// 1 while software rendering is on.
int IsSoftwareRender();

// Waiting for the vertical blank at each flip.
int SetWaitVSync(int flag);

// The screen mode's size and colour depth, with the defaults where unset.
int ScreenColorDepth();
int ScreenWidth();
int ScreenHeight();

// 1 while there is a graphics system to draw with (the display object, or software mode).
int IsGraphicsReady();

// The memory image of the front (-4) or back (-2) buffer; none while the display keeps the
// screens in device surfaces or has not made them.
MEMIMG* ScreenImage(int target);

// Restores the screen surfaces the display has lost; nothing without a display object.
void RestoreLostSurfaces();

// Presents the back buffer by copying it to the window (or the primary surface); with `wait`
// at the vertical blank. 0, or -1 without a graphics system.
int PresentByCopy(int wait);

// Waits for `count` vertical blanks (0: until one is under way); -1 without a display object or
// when the program must end.
int WaitVBlank(int count);

// A colour value's red, green and blue (0..255); 8-bit screens: its palette entry, -1 for an
// index outside it.
int GetColorRGB(uint32_t color, int* red, int* green, int* blue);

// Software mode: reloads the front image from the window when a present has made it stale.
void ReadFrontToMemImg();
// Software mode: copies `rect` of the front image to the window.
void UpdateFrontRect(const Rect& rect);

// What a screen-mode change asks of the fonts: the default font's size and thickness before
// the change (false while there is none), given back to it afterwards.
bool GetDefaultFontSizeAndWeight(int* size, int* thickness);
int SetDefaultFontSizeAndWeight(int size, int thickness);

}  // namespace kumo
