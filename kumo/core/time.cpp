#include "kumo/core/time.h"

#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/platform/clock.h"

namespace kumo {

namespace {

// count x 1000000 / perSecond without overflowing the product.
int64_t ScaleToMicroseconds(uint64_t count, uint64_t perSecond) {
  return static_cast<int64_t>(static_cast<unsigned __int128>(count) * 1000000u / perSecond);
}

}  // namespace

int GetTickMillisBody(int) { return static_cast<int>(platform::TickMillis()); }

int64_t GetMicroseconds(int useTsc) {
  const SystemRecord& system = System();
  if (system.facts.hasTsc == 1 && useTsc == 1 && system.initialised == 1 &&
      system.facts.tscPerSecond > 0) {
    return ScaleToMicroseconds(platform::CycleCounter(),
                               static_cast<uint64_t>(system.facts.tscPerSecond));
  }
  if (system.facts.usePerformanceCounter == 1 && system.facts.counterFrequency > 0) {
    return ScaleToMicroseconds(platform::CounterValue(),
                               static_cast<uint64_t>(system.facts.counterFrequency));
  }
  return static_cast<int64_t>(uint64_t{platform::TickMillis()} * 1000u);
}

}  // namespace kumo
