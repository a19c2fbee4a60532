// A headless window on the desktop with a display object, for the display services' tests.
// Every surface a test makes through Make is released after it, and the desktop's mode given
// back.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "kumo/platform/draw_surfaces.h"
#include "kumo/platform/window.h"
#include "kumo/platform/window_bitmaps.h"

namespace kumo::platform {

class DisplayTest : public ::testing::Test {
 protected:
  // The window's client area on the 1920 x 1080 x 32 headless desktop.
  static constexpr int kX = 100, kY = 50, kWidth = 64, kHeight = 32;

  void SetUp() override {
    RegisterWindowClass("DisplayTest", DefaultWindowProcedure);
    window_ = CreateTopWindow("DisplayTest", "display", WS_POPUP, 0, kX, kY, kWidth, kHeight);
    ASSERT_NE(window_, nullptr);
    ASSERT_EQ(CreateDisplay(&display_), kDrawOk);
    ASSERT_EQ(SetCooperation(display_, window_, Cooperation::Normal, false), kDrawOk);
  }

  void TearDown() override {
    for (Surface* surface : surfaces_) ReleaseSurface(surface);
    ReleaseDisplay(display_);
    RestoreDesktopDisplayMode();
    DestroyTopWindow(window_);
    UnregisterWindowClass("DisplayTest");
  }

  Surface* Make(SurfaceKind kind, int width = 0, int height = 0, PixelFormat format = {}) {
    Surface* surface = nullptr;
    EXPECT_EQ(CreateSurface(display_, {kind, width, height, format}, &surface), kDrawOk);
    if (surface != nullptr) surfaces_.push_back(surface);
    return surface;
  }

  // Full screen in a mode of the headless list.
  void TakeWhole(const DisplayMode& mode) {
    ASSERT_EQ(SetCooperation(display_, window_, Cooperation::ExclusiveFullScreen, false), kDrawOk);
    ASSERT_EQ(SetDisplayMode(display_, mode), kDrawOk);
  }

  Window* window_ = nullptr;
  Display* display_ = nullptr;
  std::vector<Surface*> surfaces_;
};

// One raw pixel of a surface, read through a lock.
inline uint32_t PixelAt(Surface* surface, int x, int y) {
  LockedPixels locked{};
  const Area one = {x, y, x + 1, y + 1};
  if (LockSurface(surface, &one, &locked) != kDrawOk) return 0xDEADBEEF;
  uint32_t value = 0;
  for (uint32_t i = 0; i < (locked.format.bitsPerPixel + 7) / 8; ++i) {
    value |= uint32_t{locked.pixels[i]} << (8 * i);
  }
  UnlockSurface(surface);
  return value;
}

constexpr PixelFormat kRgb565 = {kPixelRgb, 16, 0xF800, 0x07E0, 0x001F, 0, 0};

}  // namespace kumo::platform
