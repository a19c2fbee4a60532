// The display: its start and end, and the settings start-up applies.
#pragma once

namespace kumo {

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

}  // namespace kumo
