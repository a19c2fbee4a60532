// Presenting the back buffer, by flipping or by copying it to the window, and waiting for the
// display's vertical blank.
#include <cmath>

#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/core/window.h"
#include "kumo/image/graph_handles.h"
#include "kumo/platform/clock.h"
#include "kumo/platform/draw_surfaces.h"
#include "kumo/render/display.h"
#include "kumo/render/display_state.h"
#include "kumo/render/draw_target.h"
#include "kumo/render/screen_bitmaps.h"

namespace kumo {

namespace {

bool InBlank(platform::Display* display) {
  bool inBlank = false;
  platform::VerticalBlankStatus(display, &inBlank);
  return inBlank;
}

// Sleeps through most of the frame after the last blank, then waits for the next one; later
// than the margin, only waits when no blank is under way.
void WaitBeforePresent() {
  DisplayState& display = TheDisplay();
  const auto sinceBlank = [&] {
    return static_cast<int32_t>(platform::TickMillis() - display.lastVBlank);
  };
  if (sinceBlank() < display.vblankMargin) {
    while (sinceBlank() < display.vblankMargin) platform::SleepMillis(1);
    platform::WaitForVerticalBlank(display.display);
  } else {
    platform::SleepMillis(0);
    if (!InBlank(display.display)) platform::WaitForVerticalBlank(display.display);
  }
  display.lastVBlank = platform::TickMillis();
}

// Polls until the blank is (or is not) under way, pumping messages; false once the program must
// end.
bool PollBlank(bool wanted) {
  for (;;) {
    if (ProcessMessageBody() != 0) return false;
    if (InBlank(TheDisplay().display) == wanted) return true;
  }
}

// Where the back buffer lands: in window mode the client area on the desktop at the window's
// scale, in full screen the whole screen.
platform::Area Destination() {
  const int width = ScreenWidth(), height = ScreenHeight();
  if (System().settings.windowMode == 0) return {0, 0, width, height};
  const double scale = EffectiveWindowScale();
  const Rect& client = System().clientRect;
  return {client.left, client.top, client.left + static_cast<int>(std::lround(width * scale)),
          client.top + static_cast<int>(std::lround(height * scale))};
}

}  // namespace

int WaitVBlank(int count) {
  DisplayState& display = TheDisplay();
  if (display.display == nullptr) return -1;
  if (GraphicsSettings().suspended != 0) return 0;
  WaitWhileInactive();
  if (count == 0 && !PollBlank(true)) return -1;
  for (int i = 0; i < count; ++i) {
    if (!PollBlank(false) || !PollBlank(true)) return -1;
  }
  display.lastVBlank = platform::TickMillis();
  return 0;
}

int PresentByCopy(int wait) {
  DisplayState& display = TheDisplay();
  if (IsGraphicsReady() == 0) return -1;
  if (CurrentDrawTarget().target == kFrontBuffer) {
    ++display.frameCount;
    return WaitVBlank(1);
  }
  const platform::Area source = {0, 0, ScreenWidth(), ScreenHeight()};
  const platform::Area destination = Destination();
  if (wait != 0) WaitBeforePresent();
  if (display.software != 0) {
    // The bitmap goes to the client area's corner, at the window's scale.
    DrawBackToWindow(
        {0, 0, destination.right - destination.left, destination.bottom - destination.top});
    display.frontStale = 1;
  } else {
    platform::Blit(display.primary, &destination, display.back, &source, false);
  }
  ++display.frameCount;
  return 0;
}

int FlipScreenBody() {
  DisplayState& display = TheDisplay();
  if (IsGraphicsReady() == 0) return -1;
  WaitWhileInactive();
  if (display.software != 0 || System().settings.windowMode == 1) {
    return PresentByCopy(display.waitVSync);
  }
  if (CurrentDrawTarget().target == kFrontBuffer && display.waitVSync != 0) {
    ++display.frameCount;
    return WaitVBlank(1);
  }
  platform::Flip(display.primary, display.waitVSync != 0);
  if (display.waitVSync != 0) platform::SleepMillis(1);
  ++display.frameCount;
  return 0;
}

}  // namespace kumo
