#include "kumo/core/api_lock.h"

#include <array>
#include <atomic>

#include "kumo/core/system_record.h"
#include "kumo/platform/clock.h"
#include "kumo/platform/sync.h"
#include "kumo/platform/threads.h"

namespace kumo {

namespace {

constexpr uint32_t kNoOwner = 0xFFFFFFFFu;
// How long the message thread waits on its event before looking at quitRequested again.
constexpr uint32_t kBoundedWaitMillis = 1000;

struct Waiter {
  uint32_t thread;
  platform::Event* event;
};

struct ApiLock {
  std::atomic<int> initialised{0};
  platform::Guard* guard = nullptr;  // protects every field below
  int held = 0;
  uint32_t owner = 0;
  int depth = 0;
  // Head first. The events form a pool that travels with the slots.
  std::array<Waiter, kApiWaiterSlots> waiters{};
  int waiterCount = 0;
};

ApiLock gLock;

// Serialises creation and destruction, so that two first calls from different threads cannot
// both create the lock. Lives for the whole process.
platform::Guard* CreationGuard() {
  static platform::Guard* guard = platform::CreateGuard();
  return guard;
}

void EnsureCreated() {
  if (gLock.initialised.load(std::memory_order_acquire) != 0) return;
  platform::EnterGuard(CreationGuard());
  if (gLock.initialised.load(std::memory_order_relaxed) == 0) {
    for (Waiter& waiter : gLock.waiters) waiter = {0, platform::CreateEvent()};
    gLock.guard = platform::CreateGuard();
    gLock.held = 0;
    gLock.owner = 0;
    gLock.depth = 0;
    gLock.waiterCount = 0;
    gLock.initialised.store(1, std::memory_order_release);
  }
  platform::LeaveGuard(CreationGuard());
}

// Takes entry `index` out of the queue: the entries behind it move up and its event goes to the
// slot just behind the new last entry. Called with the guard held.
void RemoveWaiter(int index) {
  platform::Event* event = gLock.waiters[index].event;
  for (int i = index; i + 1 < gLock.waiterCount; ++i) gLock.waiters[i] = gLock.waiters[i + 1];
  gLock.waiterCount -= 1;
  gLock.waiters[gLock.waiterCount] = {0, event};
}

// The caller's queue entry, or -1. Called with the guard held.
int FindWaiter(uint32_t thread) {
  for (int i = 0; i < gLock.waiterCount; ++i) {
    if (gLock.waiters[i].thread == thread) return i;
  }
  return -1;
}

enum class WaitStyle { Unbounded, UntilQuit };

bool QuitRequested() { return System().quitRequested.load() != 0; }

// Waits for the event; with UntilQuit gives up (false) when quitRequested is set first.
bool AwaitTurn(platform::Event* event, WaitStyle style) {
  if (style == WaitStyle::Unbounded) {
    platform::WaitEvent(event);
    return true;
  }
  while (!platform::IsEventSignalled(event)) {
    if (QuitRequested()) return false;
    platform::WaitEventFor(event, kBoundedWaitMillis);
  }
  return true;
}

bool Acquire(WaitStyle style) {
  EnsureCreated();
  const uint32_t self = platform::CurrentThreadId();
  for (;;) {
    platform::EnterGuard(gLock.guard);
    if (gLock.held != 0) {
      if (gLock.owner == self) break;  // re-entry
    } else if (gLock.waiterCount == 0 || gLock.owner == self) {
      break;
    } else if (gLock.waiters[0].thread == self) {
      RemoveWaiter(0);
      break;
    }

    // Queue up behind the others. A thread woken while not yet first (a stale wake-up) keeps the
    // place it has instead of queueing a second time.
    int place = FindWaiter(self);
    if (place < 0) {
      if (gLock.waiterCount == kApiWaiterSlots) {
        platform::LeaveGuard(gLock.guard);
        if (style == WaitStyle::UntilQuit && QuitRequested()) return false;
        platform::SleepMillis(1);
        continue;
      }
      place = gLock.waiterCount++;
      gLock.waiters[place].thread = self;
    }
    platform::Event* event = gLock.waiters[place].event;
    platform::LeaveGuard(gLock.guard);

    if (!AwaitTurn(event, style)) return false;
    platform::ResetEvent(event);
  }
  gLock.depth += 1;
  gLock.held = 1;
  gLock.owner = self;
  platform::LeaveGuard(gLock.guard);
  return true;
}

void Release(bool yield) {
  if (gLock.initialised.load(std::memory_order_acquire) == 0) return;
  platform::EnterGuard(gLock.guard);
  if (gLock.depth <= 0) {  // an unbalanced leave has nothing to release
    platform::LeaveGuard(gLock.guard);
    return;
  }
  platform::Event* wake = nullptr;
  if (gLock.depth == 1) {
    gLock.held = 0;
    gLock.owner = kNoOwner;
    if (gLock.waiterCount > 0) wake = gLock.waiters[0].event;
  }
  gLock.depth -= 1;
  platform::LeaveGuard(gLock.guard);
  if (wake != nullptr) {
    platform::SignalEvent(wake);
    if (yield) platform::SleepMillis(0);
  }
}

}  // namespace

void ApiEnter() { Acquire(WaitStyle::Unbounded); }

void ApiLeave() { Release(true); }

bool ApiEnterUnlessQuit() { return Acquire(WaitStyle::UntilQuit); }

void ApiLeaveWithoutYield() { Release(false); }

void ApiWithdraw() {
  if (gLock.initialised.load(std::memory_order_acquire) == 0) return;
  platform::EnterGuard(gLock.guard);
  platform::Event* wake = nullptr;
  const int place = FindWaiter(platform::CurrentThreadId());
  if (place >= 0) {
    // A wake-up meant for the leaving thread must not linger in the pool.
    platform::ResetEvent(gLock.waiters[place].event);
    RemoveWaiter(place);
    if (place == 0 && gLock.waiterCount > 0) wake = gLock.waiters[0].event;
  }
  platform::LeaveGuard(gLock.guard);
  if (wake != nullptr) platform::SignalEvent(wake);
}

void ApiLockDestroy() {
  platform::EnterGuard(CreationGuard());
  if (gLock.initialised.load(std::memory_order_relaxed) != 0) {
    for (Waiter& waiter : gLock.waiters) {
      platform::DestroyEvent(waiter.event);
      waiter = {0, nullptr};
    }
    platform::DestroyGuard(gLock.guard);
    gLock.guard = nullptr;
    gLock.initialised.store(0, std::memory_order_release);
  }
  platform::LeaveGuard(CreationGuard());
}

ApiLockState ApiLockSnapshot() {
  if (gLock.initialised.load(std::memory_order_acquire) == 0) {
    return {false, false, kNoOwner, 0, 0};
  }
  platform::EnterGuard(gLock.guard);
  const ApiLockState state{true, gLock.held != 0, gLock.owner, gLock.depth, gLock.waiterCount};
  platform::LeaveGuard(gLock.guard);
  return state;
}

}  // namespace kumo
