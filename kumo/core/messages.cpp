// Pumping the window's messages, and the pause while the window is inactive.
#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/core/window.h"
#include "kumo/image/graph_handles.h"
#include "kumo/platform/clock.h"
#include "kumo/platform/threads.h"
#include "kumo/platform/window.h"
#include "kumo/render/display.h"

namespace kumo {

namespace {

// A pass dispatches at most this many messages.
constexpr int kMessagesPerPass = 5;

bool IsMainThread() { return platform::CurrentThreadId() == System().mainThreadId; }

// Passes over the calling thread's queue until one finds nothing more to do (while the window
// is inactive, on the main thread, until it is active again or the program must end).
void RunPasses() {
  SystemRecord& system = System();
  int count = 0;
  int idle = 0;
  for (;;) {
    const bool watching = system.active == 1 || system.closePosted == 1;
    if (watching && (idle == 1 || system.quitRequested.load() == 1)) return;
    idle = 1;
    if (system.active == 0) platform::SleepMillis(1);

    platform::Message message{};
    while (platform::PeekAndRemoveMessage(&message)) {
      if (message.message == platform::WM_ACTIVATEAPP && system.settings.windowMode == 1) {
        system.active = static_cast<int>(message.wParam & 0xFFFF);
      }
      // Once the program must end, messages are only drained.
      if (system.quitRequested.load() == 1) return;
      if (message.message == platform::WM_QUIT) system.quitRequested = 1;
      platform::TranslateWindowMessage(message);
      platform::DispatchWindowMessage(message);
      if (++count == kMessagesPerPass) {
        count = 0;
        break;
      }
      idle = 0;
    }

    if (system.active == 0) platform::SleepMillis(1);
    if (system.quitRequested.load() == 1) return;
    if (!IsMainThread()) return;
  }
}

}  // namespace

int ProcessMessageBody() {
  SystemRecord& system = System();
  if (system.tailGuard == 1) return 0;
  if (system.window == nullptr) return system.quitRequested.load() == 1 ? -1 : 0;

  RunPasses();

  // Tail work: the cursor in full screen, then the text-input layer (which nothing in this
  // system reads, so there is nothing to update) under the guard against re-entry.
  if (IsMainThread() && system.settings.windowMode == 0) SetMouseShown(system.mouseRequest);
  system.tailGuard = 1;
  system.tailGuard = 0;
  return system.quitRequested.load() == 1 ? -1 : 0;
}

void WaitWhileInactive() {
  SystemRecord& system = System();
  // Without a window nothing could make the program active again.
  if (system.painting == 1 || system.active == 1 || system.window == nullptr) return;
  while (ProcessMessageBody() == 0 && system.active == 0) {
  }
  // Graphics keep their pixels in memory images, which are never lost; only the screens' own
  // surfaces need restoring.
  if (GraphicsSettings().suspended == 0) RestoreLostSurfaces();
}

}  // namespace kumo
