// Threads and thread identity.
#pragma once

#include <cstdint>

namespace kumo::platform {

// A 32-bit id of the calling thread, unique among the process's running threads and never
// all bits set (the lock uses that value for "no owner").
uint32_t CurrentThreadId();

// True on the process's first thread, the one that runs the program.
bool IsMainThread();

struct Thread;

// Starts `entry(argument)` on a new thread; none when the thread cannot be made.
Thread* StartThread(void (*entry)(void* argument), void* argument);

// Waits until the thread has returned from its entry, then releases it.
void CloseThread(Thread* thread);

}  // namespace kumo::platform
