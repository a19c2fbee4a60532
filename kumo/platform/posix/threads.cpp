#include "kumo/platform/threads.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <new>

namespace kumo::platform {

uint32_t CurrentThreadId() {
  thread_local const uint32_t id = static_cast<uint32_t>(syscall(SYS_gettid));
  return id;
}

bool IsMainThread() { return CurrentThreadId() == static_cast<uint32_t>(getpid()); }

struct Thread {
  pthread_t native;
  void (*entry)(void*);
  void* argument;
};

namespace {

void* RunThread(void* raw) {
  auto* thread = static_cast<Thread*>(raw);
  thread->entry(thread->argument);
  return nullptr;
}

}  // namespace

Thread* StartThread(void (*entry)(void* argument), void* argument) {
  auto* thread = new (std::nothrow) Thread{pthread_t{}, entry, argument};
  if (thread == nullptr) return nullptr;
  if (pthread_create(&thread->native, nullptr, RunThread, thread) != 0) {
    delete thread;
    return nullptr;
  }
  return thread;
}

void CloseThread(Thread* thread) {
  if (thread == nullptr) return;
  pthread_join(thread->native, nullptr);
  delete thread;
}

}  // namespace kumo::platform
