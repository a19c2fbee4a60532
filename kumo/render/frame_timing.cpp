// Measuring the surface copy and the display frame.
#include "kumo/render/frame_timing.h"

#include <algorithm>
#include <cstdint>

#include "kumo/core/system_record.h"
#include "kumo/platform/clock.h"
#include "kumo/platform/draw_surfaces.h"
#include "kumo/render/display.h"
#include "kumo/render/display_state.h"
#include "kumo/support/log.h"

namespace kumo {

namespace {

constexpr int kTimedCopies = 8;
// Systems before this one cannot report the refresh rate.
constexpr int kRefreshRateOsCode = 259;
constexpr int kLowestRefreshRate = 60;
constexpr int kSyncs = 3;
constexpr int kRounds = 5;
constexpr int kTrialsWithRate = 4;
constexpr int kTrialsWithoutRate = 20;

double Microseconds(uint64_t counts) {
  const uint64_t frequency = platform::CounterFrequency();
  return frequency != 0 ? static_cast<double>(counts) * 1e6 / static_cast<double>(frequency) : 0;
}

// Waits for the start of a vertical blank (the beam wraps, or the blank is reported), then for
// its end. False when the display cannot tell.
bool SyncToBlank(platform::Display* display) {
  uint32_t previous = 0;
  for (;;) {
    bool inBlank = false;
    if (platform::DrawFailed(platform::VerticalBlankStatus(display, &inBlank))) return false;
    if (inBlank) break;
    uint32_t line = 0;
    const platform::DrawResult scan = platform::ScanLine(display, &line);
    if (scan == platform::kDrawVerticalBlankInProgress ||
        (scan == platform::kDrawOk && line < previous)) {
      break;
    }
    previous = line;
  }
  for (;;) {
    bool inBlank = false;
    if (platform::DrawFailed(platform::VerticalBlankStatus(display, &inBlank))) return false;
    if (!inBlank) return true;
  }
}

// The first value that occurs twice, or -1.
int FirstRepeated(const int* values, int count) {
  for (int i = 0; i < count; ++i) {
    if (std::count(values, values + count, values[i]) > 1) return values[i];
  }
  return -1;
}

}  // namespace

void ChooseSurfaceTransfer() {
  const DisplayState& display = TheDisplay();
  platform::SurfaceInfo primary{};
  platform::DescribeSurface(display.primary, &primary);
  const platform::Area rect = {0, 0, std::min(ScreenWidth(), primary.width),
                               std::min(ScreenHeight(), primary.height)};
  const uint64_t start = platform::CounterValue();
  for (int i = 0; i < kTimedCopies; ++i) {
    platform::BlitFast(display.work1, 0, 0, display.primary, &rect, false);
  }
  const double bltFast = Microseconds(platform::CounterValue() - start);
  // The display offers no copy through window device contexts, so BltFast is the only one;
  // its rival's time reads -1, as a measurement that is not available.
  LogWriteFormat("サーフェス間転送には %s を使用します", "BltFast");
  LogWriteFormat("BitBlt:%.0lfμs   BltFast:%.0lfμs", -1.0, bltFast);
}

void MeasureFrameTime() {
  DisplayState& display = TheDisplay();
  display.frameTime = -1;
  display.vblankMargin = -1;
  if (display.software != 0) {
    display.refreshRate = 60;
    return;
  }
  const platform::DisplayMode mode = platform::CurrentDisplayMode();
  display.refreshRate = -1;
  if (System().facts.osCode > kRefreshRateOsCode && mode.refreshRate >= kLowestRefreshRate) {
    display.refreshRate = mode.refreshRate;
  }
  const bool rateKnown = display.refreshRate != -1;
  LogPrint("スキャンラインの数:%d\n", mode.height);
  for (int i = 0; i < kSyncs; ++i) {
    if (!SyncToBlank(display.display)) break;
  }
  const int trials = rateKnown ? kTrialsWithRate : kTrialsWithoutRate;
  int millis[kTrialsWithoutRate];
  uint64_t counts = 0;
  for (int round = 0; round < kRounds && display.frameTime == -1; ++round) {
    uint32_t tick = platform::TickMillis();
    uint64_t counter = platform::CounterValue();
    counts = 0;
    for (int i = 0; i < trials; ++i) {
      SyncToBlank(display.display);
      const uint32_t nextTick = platform::TickMillis();
      const uint64_t nextCounter = platform::CounterValue();
      millis[i] = static_cast<int>(nextTick - tick);
      counts += nextCounter - counter;
      tick = nextTick;
      counter = nextCounter;
    }
    for (int i = 0; i < trials; ++i) LogWriteFormat("\tTri%02d:%d msec", i, millis[i]);
    display.frameTime = FirstRepeated(millis, trials);
  }
  if (display.frameTime == -1) {
    LogWrite("１フレームの時間を正常に取得できませんでした\n");
    return;
  }
  LogWriteFormat("１フレーム当たりの時間は %d msecです", display.frameTime);
  const double perFrame = Microseconds(counts) / trials;
  if (!rateKnown && perFrame > 0) {
    const int q = static_cast<int>(10000000.0 / perFrame);
    display.refreshRate = q / 10 + (q % 10 > 5 ? 1 : 0);
  }
  display.vblankMargin = (display.frameTime * 2 - 4) / 3;
}

}  // namespace kumo
