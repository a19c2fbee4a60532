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

struct SystemRecord {
  int initialised = 0;   // 1 between a successful InitLibrary and EndLibrary
  int initialising = 0;  // 1 while InitLibrary runs
  // The two flags the message thread reads while another thread may write them.
  std::atomic<int> quitRequested{0};       // 1 when the program must end
  std::atomic<int> messageThreadEnded{0};  // set by the message thread just before it exits
  int active = 0;      // 1 while the window is the active one
  int windowMode = 0;  // 1 = window, 0 = full screen
  uint32_t mainThreadId = 0;  // the thread that called InitLibrary
  platform::Window* window = nullptr;
  char className[256] = {};
  char title[256] = {};
  platform::Thread* messageThread = nullptr;
  int comReady = 0;
  int desktopWidth = 0, desktopHeight = 0, desktopBits = 0;
  int totalMemory = 0, freeMemory = 0;  // bytes
  int osCode = 0;
  char osText[256] = {};
  int hasTsc = 0, mmxInUse = 0;
  int cpuMHz = 0;
  int64_t tscPerSecond = 0;  // time-stamp ticks per second, measured at start-up
  char cpuName[64] = {};
  int usePerformanceCounter = 0;
  int64_t counterFrequency = 0;
  int oemCodePage = 1;
  char workingDirectory[256] = {};

  // The window's state
  int closePosted = 0;     // 1 once the library has posted its close request
  int modeChanging = 0;    // 1 while ChangeWindowMode waits for the display to settle
  int displaySettled = 0;  // set by every display change that does not close the program
  int painting = 0;        // 1 while a paint is handled in window mode
  Rect clientRect{};       // the client area in screen coordinates (window mode)
  int mouseShown = 1;      // 1 while the cursor is shown over the window
  int mouseRequest = 1;    // the wanted cursor state
  double windowScale = 0;  // client size / screen size; 0 or below means 1.0
  int tailGuard = 0;       // 1 while ProcessMessage runs its tail work
  int windowStyleVisible = 0;
};

SystemRecord& System();

}  // namespace kumo
