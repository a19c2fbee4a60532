// The library's message thread: keeps the window's messages pumped every 17 ms while the
// program's own thread is busy, taking the library lock around each pump.
#pragma once

namespace kumo {

// The thread's loop, with the pump it calls under the lock (ProcessMessage's body in the
// library). Runs until quitRequested is set or the pump returns -1, then leaves the lock's
// queue and sets messageThreadEnded.
void RunMessageThread(int (*pump)());

// Entry for platform::StartThread: RunMessageThread with ProcessMessage's body.
void MessageThreadEntry(void* unused);

}  // namespace kumo
