// The display: its start and end, and the settings start-up applies.
#pragma once

#include "kumo/kumo.h"

namespace kumo {

struct MEMIMG;

// Brings the display up in the current screen mode; -1 on failure.
int InitDirectDraw();
// Releases the display.
int EndDirectDraw();

// Changes the screen to the current mode (window or full screen, size and depth); the window is
// told by WM_DISPLAYCHANGE. 0, or -1 on failure.
int ChangeScreenMode();

// 0 selects software rendering for good.
int SetUseSoftwareRender(int hardware);
// 1 while software rendering is on.
int IsSoftwareRender();

// Waiting for the vertical blank at each flip.
int SetWaitVSync(int flag);

// The colour depth the screen mode asks for (16 unless set).
int ScreenColorDepth();

// The screen size of the current mode.
int ScreenWidth();
int ScreenHeight();

// Draws the first, black picture on both screens.
void PrepareScreens();

// 1 while there is a graphics system to draw with (the device, or software mode).
int IsGraphicsReady();

// The memory image of the front (-4) or back (-2) buffer; none while the display keeps the
// screen in device surfaces or has not made it.
MEMIMG* ScreenImage(int target);

// Software mode: reloads the front image from the window when a present has made it stale.
void ReadFrontToMemImg();
// Software mode: copies `rect` of the front image to the window.
void UpdateFrontRect(const Rect& rect);

}  // namespace kumo
