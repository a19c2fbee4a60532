// The library's one system record: what start-up found and set, and the window's state, read by
// the runtime core.
#pragma once

#include <atomic>
#include <cstdint>

#include "kumo/kumo.h"

namespace kumo {

namespace platform {
struct Window;
struct Thread;
}  // namespace platform

// What a program may set before start-up; start-up keeps it.
struct SystemSettings {
  int windowMode = 0;          // 1 = window, 0 = full screen
  int windowStyleVisible = 0;  // 1 once window-mode styles include WS_VISIBLE
  double windowScale = 0;      // client size / screen size; 0 or below means 1.0
  char className[256] = {};
  char title[256] = {};
};

// What start-up finds about the machine before it makes the window.
struct SystemFacts {
  char workingDirectory[256] = {};  // saved at start-up, restored at the end
  int osCode = 0;
  char osText[320] = {};
  int hasTsc = 0, mmxInUse = 0;
  int cpuMHz = 0;
  int64_t tscPerSecond = 0;  // time-stamp ticks per second, measured at start-up
  char cpuName[64] = {};
  int usePerformanceCounter = 0;
  int64_t counterFrequency = 0;
};

struct SystemRecord {
  SystemSettings settings;
  SystemFacts facts;
  int initialised = 0;   // 1 between a successful InitLibrary and EndLibrary
  int initialising = 0;  // 1 while InitLibrary runs
  int comReady = 0;      // 1 while the component system is started
  // The two flags the message thread reads while another thread may write them.
  std::atomic<int> quitRequested{0};       // 1 when the program must end
  std::atomic<int> messageThreadEnded{0};  // set by the message thread just before it exits
  int active = 0;                          // 1 while the window is the active one
  uint32_t mainThreadId = 0;               // the thread that called InitLibrary
  platform::Window* window = nullptr;
  platform::Thread* messageThread = nullptr;
  int desktopWidth = 0, desktopHeight = 0, desktopBits = 0;
  uint64_t totalMemory = 0, freeMemory = 0;  // bytes
  int oemCodePage = 1;

  // The window's state
  int closePosted = 0;     // 1 once the library has posted its close request
  int modeChanging = 0;    // 1 while ChangeWindowMode waits for the display to settle
  int displaySettled = 0;  // set by every display change that does not close the program
  int painting = 0;        // 1 while a paint is handled in window mode
  Rect clientRect{};       // the client area in screen coordinates (window mode)
  int mouseShown = 1;      // 1 while the cursor is shown over the window
  int mouseRequest = 1;    // the wanted cursor state
  int tailGuard = 0;       // 1 while ProcessMessage runs its tail work
};

SystemRecord& System();

// Clears what an earlier run left in the record, for the window step of start-up; the settings,
// the facts and the start-up flags stay.
void ResetSystemRecordForWindowStep();

}  // namespace kumo
