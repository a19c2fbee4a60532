// The library lock: one re-entrant, first-come first-served lock around every public operation.
// Created by the first ApiEnter, destroyed by EndLibrary, created again by the next call.
#pragma once

#include <cstdint>

namespace kumo {

// Waiter queue capacity; a newcomer that finds it full retries every millisecond.
constexpr int kApiWaiterSlots = 4096;

// Blocks until the calling thread owns the lock, then raises its depth by one.
void ApiEnter();

// Lowers the depth; at depth 0 releases the lock and wakes the first waiter.
void ApiLeave();

// The message thread's variants. ApiEnterUnlessQuit waits in bounded steps and gives up, without
// the lock, once quitRequested is set; ApiLeaveWithoutYield releases like ApiLeave but does not
// yield to the woken waiter; ApiWithdraw takes the caller's entry out of the waiter queue,
// wherever it is, and wakes the new first waiter when the caller was first.
bool ApiEnterUnlessQuit();
void ApiLeaveWithoutYield();
void ApiWithdraw();

// Closes the waiter events and the guard; the lock is then not initialised.
void ApiLockDestroy();

// What the lock looks like now, for tests and diagnostics.
struct ApiLockState {
  bool initialised;
  bool held;
  uint32_t owner;  // all bits set once released
  int depth;
  int waiterCount;
};
ApiLockState ApiLockSnapshot();

}  // namespace kumo
