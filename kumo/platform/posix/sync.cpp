#include "kumo/platform/sync.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

#include "kumo/platform/backend.h"

namespace kumo::platform {

struct Guard {
  std::mutex mutex;
};

Guard* CreateGuard() { return new (std::nothrow) Guard; }
void DestroyGuard(Guard* guard) { delete guard; }
void EnterGuard(Guard* guard) { guard->mutex.lock(); }
void LeaveGuard(Guard* guard) { guard->mutex.unlock(); }

struct Event {
  std::mutex mutex;
  std::condition_variable changed;
  bool signalled = false;
};

Event* CreateEvent() { return new (std::nothrow) Event; }
void DestroyEvent(Event* event) { delete event; }

void SignalEvent(Event* event) {
  {
    std::lock_guard<std::mutex> hold(event->mutex);
    event->signalled = true;
  }
  event->changed.notify_all();
}

void ResetEvent(Event* event) {
  std::lock_guard<std::mutex> hold(event->mutex);
  event->signalled = false;
}

bool IsEventSignalled(Event* event) {
  std::lock_guard<std::mutex> hold(event->mutex);
  return event->signalled;
}

void WaitEvent(Event* event) {
  std::unique_lock<std::mutex> hold(event->mutex);
  event->changed.wait(hold, [event] { return event->signalled; });
}

bool WaitEventFor(Event* event, uint32_t ms) {
  bool signalled;
  {
    std::unique_lock<std::mutex> hold(event->mutex);
    signalled = event->changed.wait_for(hold, std::chrono::milliseconds(ms),
                                        [event] { return event->signalled; });
  }
  if (!signalled) NoteTimedWaitElapsed(ms);
  return signalled;
}

}  // namespace kumo::platform
