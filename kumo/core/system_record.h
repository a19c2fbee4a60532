// The library's one system record: what start-up found and set, read by the runtime core.
#pragma once

#include <atomic>
#include <cstdint>

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
  int windowMode = 0;                      // 1 = window, 0 = full screen
  platform::Window* window = nullptr;
  platform::Thread* messageThread = nullptr;
  // Clocks
  int hasTsc = 0;
  int64_t tscPerSecond = 0;  // time-stamp ticks per second, measured at start-up
  int usePerformanceCounter = 0;
  int64_t counterFrequency = 0;
};

SystemRecord& System();

}  // namespace kumo
