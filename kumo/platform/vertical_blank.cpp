// The vertical blank: where the beam is at a time, and the waits and reads that follow it on the
// display's clock.
#include "kumo/platform/vertical_blank.h"

#include "kumo/platform/backend.h"
#include "kumo/platform/draw_surfaces.h"
#include "kumo/platform/screen.h"

namespace kumo::platform {

namespace {

using Wide = unsigned __int128;
constexpr uint64_t kSecond = 1000000000u;

uint64_t Rate(int refreshRate) { return refreshRate > 0 ? static_cast<uint64_t>(refreshRate) : 60; }

// The first nanosecond of frame n.
uint64_t FrameStart(uint64_t frame, uint64_t rate) {
  return static_cast<uint64_t>((Wide{frame} * kSecond + rate - 1) / rate);
}

uint64_t FrameAt(uint64_t nanos, uint64_t rate) {
  return static_cast<uint64_t>(Wide{nanos} * rate / kSecond);
}

// The refresh rate and height the beam follows now.
void CurrentTiming(int* refreshRate, int* height) {
  std::lock_guard<std::mutex> hold(DisplayGuard());
  *refreshRate = TheScreen().mode.refreshRate;
  *height = TheScreen().mode.height;
}

BeamPosition BeamNow() {
  int refreshRate = 0, height = 0;
  CurrentTiming(&refreshRate, &height);
  return BeamAt(Displays().nanos(), refreshRate, height);
}

}  // namespace

BeamPosition BeamAt(uint64_t nanos, int refreshRate, int height) {
  const uint64_t rate = Rate(refreshRate);
  const uint64_t frame = FrameAt(nanos, rate);
  const uint64_t start = FrameStart(frame, rate);
  const uint64_t length = FrameStart(frame + 1, rate) - start;
  const uint64_t blank = length * kBlankPerMille / 1000;
  const uint64_t into = nanos - start;
  if (into < blank) return {true, 0};
  const uint64_t lines = height > 0 ? static_cast<uint64_t>(height) : 1;
  return {false, static_cast<uint32_t>((into - blank) * lines / (length - blank))};
}

uint64_t NextBlankAfter(uint64_t nanos, int refreshRate) {
  const uint64_t rate = Rate(refreshRate);
  return FrameStart(FrameAt(nanos, rate) + 1, rate);
}

DrawResult WaitForVerticalBlank(Display* display) {
  if (display == nullptr) return kDrawInvalidParams;
  int refreshRate = 0, height = 0;
  CurrentTiming(&refreshRate, &height);
  Displays().waitUntil(NextBlankAfter(Displays().nanos(), refreshRate));
  return kDrawOk;
}

DrawResult VerticalBlankStatus(Display* display, bool* inBlank) {
  if (display == nullptr || inBlank == nullptr) return kDrawInvalidParams;
  *inBlank = BeamNow().inBlank;
  return kDrawOk;
}

DrawResult ScanLine(Display* display, uint32_t* line) {
  if (display == nullptr || line == nullptr) return kDrawInvalidParams;
  const BeamPosition beam = BeamNow();
  *line = beam.line;
  return beam.inBlank ? kDrawVerticalBlankInProgress : kDrawOk;
}

}  // namespace kumo::platform
