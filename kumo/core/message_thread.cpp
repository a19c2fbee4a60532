#include "kumo/core/message_thread.h"

#include "kumo/core/api_lock.h"
#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/platform/clock.h"

namespace kumo {

namespace {

constexpr uint32_t kPumpIntervalMillis = 17;

}  // namespace

void RunMessageThread(int (*pump)()) {
  SystemRecord& system = System();
  while (system.quitRequested.load() == 0) {
    if (!ApiEnterUnlessQuit()) break;
    const int result = pump();
    ApiLeaveWithoutYield();
    if (result == -1) break;
    platform::SleepMillis(kPumpIntervalMillis);
  }
  ApiWithdraw();
  system.messageThreadEnded.store(1);
}

void MessageThreadEntry(void*) { RunMessageThread(ProcessMessageBody); }

}  // namespace kumo
