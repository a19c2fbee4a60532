// The headless display: the desktop of the headless window system and a fixed list of modes, all
// at 60 Hz; the last picture shown is kept, every whole new picture is a presented frame for the
// input script, whose shots write it; the vertical blank follows the virtual clock.
#include <cstdio>

#include "kumo/platform/backend.h"
#include "kumo/platform/headless/headless_display.h"
#include "kumo/platform/headless/script.h"
#include "kumo/platform/headless/virtual_clock.h"
#include "kumo/platform/screen.h"
#include "kumo/platform/threads.h"
#include "kumo/platform/vertical_blank.h"
#include "kumo/platform/window.h"

namespace kumo::platform {

namespace headless {

namespace {

constexpr int kRefreshRate = 60;

HeadlessPicture gPicture;

bool Available() { return true; }

DisplayMode DesktopMode() {
  const platform::Desktop desktop = kHeadlessWindow.desktop();
  return {desktop.width, desktop.height, desktop.bitsPerPixel, kRefreshRate};
}

std::vector<DisplayMode> Modes() {
  std::vector<DisplayMode> modes;
  for (const auto& [width, height] : {std::pair{640, 480}, {800, 600}, {1024, 768}}) {
    for (const int bits : {8, 16, 32}) modes.push_back({width, height, bits, kRefreshRate});
  }
  modes.push_back(DesktopMode());
  return modes;
}

bool Apply(Window*, const DisplayMode*) { return true; }

uint64_t Nanos() { return ReadVirtualNanos(); }

// How long presenting a whole picture takes: longer than the vertical blank.
constexpr uint64_t kPresentNanos = 1000000;

// Only the main thread moves the virtual clock; elsewhere the wait ends at once.
void WaitUntil(uint64_t nanos) {
  if (IsMainThread() && nanos > VirtualNanos()) SetVirtualNanos(nanos);
}

void Show(Window*, const uint32_t* picture, int width, int height, bool vsync, bool frame) {
  if (vsync) WaitUntil(NextBlankAfter(Nanos(), TheScreen().mode.refreshRate));
  gPicture.width = width;
  gPicture.height = height;
  gPicture.pixels.assign(picture, picture + static_cast<size_t>(width) * height);
  if (!frame) return;
  // Sending a whole picture to the display takes time, as it does on a real one: a frame
  // presented during a vertical blank ends after it, so the next frame cannot follow in the
  // same blank when drawing itself takes no virtual time.
  WaitUntil(Nanos() + kPresentNanos);
  FramePresented();
  std::string file;
  while (TakeShot(&file)) {
    if (!WritePicturePng(file, gPicture))
      std::fprintf(stderr, "shot: cannot write %s\n", file.c_str());
  }
}

}  // namespace

const HeadlessPicture& PresentedPicture() { return gPicture; }

}  // namespace headless

const DisplayService kHeadlessDisplay = {headless::Available,
                                         headless::DesktopMode,
                                         headless::Modes,
                                         headless::Apply,
                                         headless::Show,
                                         headless::Nanos,
                                         headless::WaitUntil,
                                         "headless",
                                         "the headless backend's display in memory"};

}  // namespace kumo::platform
