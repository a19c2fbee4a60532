// The headless window system: a window that exists only as its record, always the active one
// unless the input script deactivates it, on a fixed desktop.
#include "kumo/platform/window.h"

#include "kumo/platform/backend.h"
#include "kumo/platform/headless/headless_input.h"
#include "kumo/platform/headless/script.h"
#include "kumo/platform/headless/virtual_clock.h"
#include "kumo/platform/window_record.h"

namespace kumo::platform {

namespace headless {

namespace {

constexpr Desktop kDesktop = {1920, 1080, 32};

struct HeadlessWindow {
  bool reactivationDue = false;
  uint64_t reactivateAt = 0;  // virtual time
};

void* Create(Window*, const char*) {
  // A malformed script stops the program here, at start.
  LoadScript();
  return new HeadlessWindow;
}

void Destroy(Window* window) { delete static_cast<HeadlessWindow*>(window->native); }

void Activate(Window* window, bool active) {
  if (active) {
    PostWindowSystemMessage(window, WM_ACTIVATEAPP, 1, 0);
    PostWindowSystemMessage(window, WM_ACTIVATE, WA_ACTIVE, 0);
  } else {
    PostWindowSystemMessage(window, WM_ACTIVATE, WA_INACTIVE, 0);
    PostWindowSystemMessage(window, WM_ACTIVATEAPP, 0, 0);
  }
}

// Shown, the window is painted.
void Show(Window* window) { PostWindowSystemMessage(window, WM_PAINT, 0, 0); }
void Minimize(Window*) {}
void Restyle(Window*) {}
void Place(Window* window) {
  PostWindowSystemMessage(window, WM_MOVE, 0, MakeLParam(window->x, window->y));
}

// What the script asked of the window becomes the messages a user's actions would give.
void PumpEvents(Window* window) {
  PumpHeadlessInput();
  HeadlessWindow* state = static_cast<HeadlessWindow*>(window->native);
  if (state->reactivationDue && VirtualNanos() >= state->reactivateAt) {
    state->reactivationDue = false;
    Activate(window, true);
  }
  uint32_t millis = 0;
  while (TakeDeactivation(&millis)) {
    Activate(window, false);
    state->reactivationDue = true;
    state->reactivateAt = VirtualNanos() + uint64_t{millis} * 1000000u;
  }
  while (TakeCloseRequest()) PostWindowSystemMessage(window, WM_CLOSE, 0, 0);
}

void CursorPosition(int* x, int* y) {
  *x = 0;
  *y = 0;
}

void SetCursorVisible(bool) {}
void Raise(Window*) {}
void SetScreenSaver(bool) {}
void SetInputMethod(bool) {}
Desktop DesktopInfo() { return kDesktop; }

}  // namespace

}  // namespace headless

const WindowService kHeadlessWindow = {
    headless::Create,     headless::Destroy,        headless::Show,
    headless::Minimize,   headless::Restyle,        headless::Place,
    headless::PumpEvents, headless::CursorPosition, headless::SetCursorVisible,
    headless::Raise,      headless::SetScreenSaver, headless::SetInputMethod,
    headless::DesktopInfo};

}  // namespace kumo::platform
