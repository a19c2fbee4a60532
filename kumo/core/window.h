// The library's window: pumping its messages, its procedure, pausing while it is inactive,
// switching between window and full screen, and the cursor.
#pragma once

#include <cstdint>

#include "kumo/kumo.h"

namespace kumo {

namespace platform {
struct Window;
}

// Pumps messages until the window is active again; called first by every drawing, presenting
// and input operation.
void WaitWhileInactive();

// The window procedure of the library's window class.
intptr_t LibraryWindowProcedure(platform::Window* window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

// The window's styles and outer place for a mode: in window mode centred on the desktop with a
// client area of the screen size times the window scale; in full screen the whole screen.
struct WindowShape {
  uint32_t style, exStyle;
  int x, y, width, height;
};
WindowShape WindowModeShape();
WindowShape FullScreenShape();

// Sets windowMode and logs it.
void SetWindowModeFlag(int flag);

// Re-applies the styles, size and place of the current mode (only with a window).
void ApplyWindowStyle();

// Sizes the window so that its client area is the screen size times the window scale.
void FitWindow();

// Shows (1) or hides (0) the cursor over the window.
void SetMouseShown(int flag);

// The cursor in the back buffer's pixels.
void GetCursorPoint(int* x, int* y);

// The client area on the desktop (window mode).
void GetClientScreenRect(Rect* rect);

// The window scale in use: 1.0 when unset, and always in full screen.
double EffectiveWindowScale();

}  // namespace kumo
