// Mutual exclusion and manual-reset events.
#pragma once

#include <cstdint>

namespace kumo::platform {

// A non-recursive mutual-exclusion guard, held only for a few instructions at a time.
struct Guard;
Guard* CreateGuard();
void DestroyGuard(Guard* guard);
void EnterGuard(Guard* guard);
void LeaveGuard(Guard* guard);

// A manual-reset event: once signalled it stays signalled, waking every waiter, until reset.
struct Event;
Event* CreateEvent();  // not signalled
void DestroyEvent(Event* event);
void SignalEvent(Event* event);
void ResetEvent(Event* event);
// Tests the event without waiting.
bool IsEventSignalled(Event* event);
// Waits without a time limit.
void WaitEvent(Event* event);
// Waits at most `ms` milliseconds; true when the event was signalled.
bool WaitEventFor(Event* event, uint32_t ms);

}  // namespace kumo::platform
