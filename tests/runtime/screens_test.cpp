#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "kumo/core/api_lock.h"
#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/image/color_format.h"
#include "kumo/image/graph_handles.h"
#include "kumo/image/graph_image.h"
#include "kumo/platform/clock.h"
#include "kumo/platform/display_modes.h"
#include "kumo/platform/draw_surfaces.h"
#include "kumo/platform/headless/headless_display.h"
#include "kumo/platform/window_bitmaps.h"
#include "kumo/render/display.h"
#include "kumo/render/display_state.h"
#include "kumo/render/draw_graph.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/draw_target.h"
#include "tests/platform/display_fixture.h"
#include "tests/render/draw_fixture.h"
#include "tests/runtime/library_fixture.h"

namespace {

using kumo::CurrentDrawTarget;
using kumo::System;
using kumo::TheDisplay;
using kumo::draw_test::SetStorePixel;
using kumo::graph_test::StorePixel;
namespace platform = kumo::platform;

// The window's client area on the 1920 x 1080 x 32 headless desktop.
constexpr int kClientX = 640, kClientY = 300;
constexpr uint32_t kBlack32 = 0xFF000000;  // X8 R8 G8 B8 black, its unused byte set
constexpr uint32_t kSomeColor = 0x00123456;

class ScreensTest : public LibraryTest {
 protected:
  // Starts in a window (or full screen), in software mode on request.
  void Start(bool window, bool software) {
    if (window) ChangeWindowMode(1);
    if (software) kumo::SetUseSoftwareRender(0);
    ASSERT_EQ(InitLibrary(), 0);
  }

  // Ends the run and clears what it set, so that another can start in the same test.
  void Stop() {
    EndLibrary();
    System().settings.windowMode = 0;
    System().settings.windowStyleVisible = 0;
    TheDisplay() = {};
  }

  // Runs an internal operation as a public one would: under the library lock, since it may pump
  // messages while the message thread runs.
  template <class Operation>
  static int Locked(Operation operation) {
    kumo::ApiEnter();
    const int result = operation();
    kumo::ApiLeave();
    return result;
  }

  static uint32_t PicturePixel(int x, int y) {
    const auto& picture = platform::headless::PresentedPicture();
    return picture.pixels[static_cast<size_t>(y * picture.width + x)];
  }

  static std::vector<int> DrawArea() {
    const Rect& area = kumo::gDrawState.drawArea;
    return {area.left, area.top, area.right, area.bottom};
  }
};

TEST_F(ScreensTest, SetDrawTargetSelectsTheScreensAndKeepsTheDrawAreaForTheSameSize) {
  Start(true, false);
  ASSERT_EQ(SetDrawTarget(-4), 0);
  // Drawing onto a window's front buffer lands on the client area of the desktop's primary.
  EXPECT_EQ(CurrentDrawTarget().surface, TheDisplay().primary);
  EXPECT_EQ(CurrentDrawTarget().image, nullptr);
  EXPECT_EQ(CurrentDrawTarget().frontOffsetX, kClientX);
  EXPECT_EQ(CurrentDrawTarget().frontOffsetY, kClientY);
  ASSERT_EQ(SetDrawTarget(-2), 0);
  EXPECT_EQ(CurrentDrawTarget().surface, TheDisplay().back);
  EXPECT_EQ(CurrentDrawTarget().frontOffsetX, 0);

  kumo::SetDrawClip(10, 20, 300, 400);
  const int sameSize = kumo::MakeBlankGraph(640, 480, 0, 0, 0);
  const int small = kumo::MakeBlankGraph(32, 24, 0, 0, 0);
  ASSERT_EQ(SetDrawTarget(sameSize), 0);
  EXPECT_EQ(CurrentDrawTarget().surface, nullptr);
  EXPECT_NE(CurrentDrawTarget().image, nullptr);
  EXPECT_EQ(DrawArea(), (std::vector<int>{10, 20, 300, 400}));
  ASSERT_EQ(SetDrawTarget(small), 0);
  EXPECT_EQ(DrawArea(), (std::vector<int>{0, 0, 32, 24}));
  ASSERT_EQ(SetDrawTarget(-2), 0);
  EXPECT_EQ(DrawArea(), (std::vector<int>{0, 0, 640, 480}));
  Stop();

  // Software mode draws into the screens' memory images.
  Start(true, true);
  ASSERT_EQ(SetDrawTarget(-2), 0);
  EXPECT_EQ(CurrentDrawTarget().surface, nullptr);
  EXPECT_EQ(CurrentDrawTarget().image, kumo::ScreenImage(-2));
  EXPECT_EQ(CurrentDrawTarget().depthImage, &TheDisplay().depthImage);
  ASSERT_EQ(SetDrawTarget(-4), 0);
  EXPECT_EQ(CurrentDrawTarget().image, kumo::ScreenImage(-4));
  EXPECT_EQ(CurrentDrawTarget().depthImage, nullptr);
  EXPECT_EQ(CurrentDrawTarget().frontOffsetX, 0);
}

TEST_F(ScreensTest, ClearScreenFillsEachTargetWithTheBackground) {
  Start(true, false);
  platform::Surface* primary = TheDisplay().primary;
  platform::Surface* back = TheDisplay().back;
  ASSERT_EQ(SetDrawTarget(-2), 0);
  platform::FillColor(back, nullptr, kSomeColor);
  platform::FillDepth(TheDisplay().depth, nullptr, 0);
  EXPECT_EQ(ClearScreen(), 0);
  EXPECT_EQ(platform::PixelAt(back, 639, 479), kBlack32);
  EXPECT_EQ(platform::PixelAt(TheDisplay().depth, 0, 0), 0xFFFFu);

  // The front buffer: only the client area of the desktop.
  ASSERT_EQ(SetDrawTarget(-4), 0);
  platform::FillColor(primary, nullptr, kSomeColor);
  EXPECT_EQ(ClearScreen(), 0);
  EXPECT_EQ(platform::PixelAt(primary, kClientX, kClientY), kBlack32);
  EXPECT_EQ(platform::PixelAt(primary, kClientX + 639, kClientY + 479), kBlack32);
  EXPECT_EQ(platform::PixelAt(primary, kClientX - 1, kClientY), kSomeColor);

  // A graphic held in memory is filled under the draw state: here inside the draw area only.
  const int graph = kumo::MakeBlankGraph(8, 8, 0, 0, 0);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) SetStorePixel(graph, x, y, kSomeColor);
  }
  ASSERT_EQ(SetDrawTarget(graph), 0);
  kumo::SetDrawClip(0, 0, 4, 4);
  EXPECT_EQ(ClearScreen(), 0);
  // The blitters leave the unused byte as they please.
  EXPECT_EQ(StorePixel(graph, 3, 3) & 0xFFFFFF, 0u);
  EXPECT_EQ(StorePixel(graph, 4, 3), kSomeColor);
  Stop();

  // Software mode: the images, the depth image, and the window behind the front buffer.
  Start(true, true);
  ASSERT_EQ(SetDrawTarget(-2), 0);
  kumo::FillMemImg(kumo::ScreenImage(-2), nullptr, kSomeColor);
  kumo::FillMemImg(&TheDisplay().depthImage, nullptr, 0);
  EXPECT_EQ(ClearScreen(), 0);
  EXPECT_EQ(static_cast<uint32_t*>(kumo::ScreenImage(-2)->pixels)[0], kBlack32);
  EXPECT_EQ(static_cast<uint16_t*>(TheDisplay().depthImage.pixels)[0], 0xFFFF);
  ASSERT_EQ(SetDrawTarget(-4), 0);
  platform::FillWindowRect(System().window, {0, 0, 640, 480}, kSomeColor);
  EXPECT_EQ(PicturePixel(639, 479), kSomeColor);
  EXPECT_EQ(ClearScreen(), 0);
  EXPECT_EQ(PicturePixel(639, 479), 0u);
}

TEST_F(ScreensTest, FlipScreenPresentsTheBackBufferAndOnTheFrontBufferOnlyWaitsForTheBlank) {
  for (const bool window : {true, false}) {
    SCOPED_TRACE(window ? "window" : "full screen");
    Start(window, false);
    platform::Surface* primary = TheDisplay().primary;
    const int x = window ? kClientX : 0, y = window ? kClientY : 0;
    ASSERT_EQ(SetDrawTarget(-2), 0);
    const uint32_t red = static_cast<uint32_t>(MakeColor(255, 0, 0));
    platform::FillColor(TheDisplay().back, nullptr, red);
    const uint64_t frames = TheDisplay().frameCount;
    EXPECT_EQ(FlipScreen(), 0);
    EXPECT_EQ(platform::PixelAt(primary, x, y), red);
    EXPECT_EQ(TheDisplay().frameCount, frames + 1);

    ASSERT_EQ(SetDrawTarget(-4), 0);
    platform::FillColor(TheDisplay().back, nullptr, static_cast<uint32_t>(MakeColor(0, 0, 255)));
    EXPECT_EQ(FlipScreen(), 0);
    EXPECT_EQ(platform::PixelAt(primary, x, y), red);
    EXPECT_EQ(TheDisplay().frameCount, frames + 2);
    bool inBlank = false;
    platform::VerticalBlankStatus(TheDisplay().display, &inBlank);
    EXPECT_TRUE(inBlank);
    Stop();
  }
}

TEST_F(ScreensTest, ChangeScreenModeWithNothingToChangeTouchesNothing) {
  Start(true, false);
  const size_t lines = LogLines().size();
  platform::Surface* primary = TheDisplay().primary;
  const uint32_t tick = platform::TickMillis();
  EXPECT_EQ(Locked([] { return kumo::ChangeScreenMode(-1, -1, -1, 0, -1); }), 0);
  // A window took the desktop's depth.
  EXPECT_EQ(Locked([] { return kumo::ChangeScreenMode(640, 480, 32, 0, 0); }), 0);
  EXPECT_EQ(LogLines().size(), lines);
  EXPECT_EQ(TheDisplay().primary, primary);
  EXPECT_EQ(platform::TickMillis(), tick);
}

TEST_F(ScreensTest, ModeChangesAreKeptTwoSecondsApart) {
  Start(true, false);
  const uint32_t first = TheDisplay().lastModeChange;
  EXPECT_EQ(Locked([] { return kumo::ChangeScreenMode(-1, -1, -1, 1, -1); }), 0);
  EXPECT_GE(TheDisplay().lastModeChange, first + 2060);
  EXPECT_LE(TheDisplay().lastModeChange, first + 2061);
  // Long after, a change only pauses.
  platform::SleepMillis(5000);
  const uint32_t before = platform::TickMillis();
  EXPECT_EQ(Locked([] { return kumo::ChangeScreenMode(-1, -1, -1, 1, -1); }), 0);
  EXPECT_GE(TheDisplay().lastModeChange, before + 60);
  EXPECT_LE(TheDisplay().lastModeChange, before + 61);
}

TEST_F(ScreensTest, AFullScreenModeTheDisplayRefusesEndsAt640x480x16) {
  for (const bool software : {false, true}) {
    SCOPED_TRACE(software ? "software" : "hardware");
    Start(true, software);
    // Any size fits a window on the desktop; full screen has no such mode.
    EXPECT_EQ(Locked([] { return kumo::ChangeScreenMode(1234, 567, -1, 0, -1); }), 0);
    EXPECT_EQ(kumo::ScreenWidth(), 1234);
    EXPECT_EQ(ChangeWindowMode(0), -2);
    EXPECT_EQ(kumo::ScreenWidth(), 640);
    EXPECT_EQ(kumo::ScreenHeight(), 480);
    EXPECT_EQ(kumo::ScreenColorDepth(), 16);
    EXPECT_EQ(platform::CurrentDisplayMode(), (platform::DisplayMode{640, 480, 16, 60}));
    Stop();
  }
}

// Switching to software rendering while the display runs makes the screens again as memory
// images, on the same screen target, and drops the graphics.
TEST_F(ScreensTest, SoftwareRenderingChosenWhileRunningRemakesTheScreens) {
  Start(true, false);
  const int graph = kumo::MakeBlankGraph(4, 4, 0, 0, 0);
  ASSERT_EQ(SetDrawTarget(-2), 0);
  EXPECT_EQ(Locked([] { return kumo::SetUseSoftwareRender(0); }), 0);
  EXPECT_EQ(kumo::IsSoftwareRender(), 1);
  EXPECT_EQ(TheDisplay().primary, nullptr);
  EXPECT_EQ(CurrentDrawTarget().target, -2);
  EXPECT_EQ(CurrentDrawTarget().image, kumo::ScreenImage(-2));
  EXPECT_EQ(kumo::GetGraphRecord(graph), nullptr);
  EXPECT_EQ(ClearScreen(), 0);
  EXPECT_EQ(FlipScreen(), 0);
  // Once on, it stays on.
  EXPECT_EQ(Locked([] { return kumo::SetUseSoftwareRender(1); }), 0);
  EXPECT_EQ(kumo::IsSoftwareRender(), 1);
}

// After a present the window shows what the front image lacks: the first draw onto the front
// buffer reads the window back, and every draw writes back only its own rectangle.
TEST_F(ScreensTest, SoftwareFrontBufferReloadsTheWindowAfterAPresentAndWritesBackOnlyTheDraw) {
  Start(true, true);
  const ColorFormat& format = *kumo::GetMemImgFormat(kumo::kKindColor32, 0, 0);
  const uint32_t red = kumo::ColorToPixel(format, 255, 0, 0, 255);
  const int graph = kumo::MakeBlankGraph(4, 4, 0, 0, 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) SetStorePixel(graph, x, y, red);
  }
  ASSERT_EQ(SetDrawTarget(-2), 0);
  kumo::FillMemImg(kumo::ScreenImage(-2), nullptr, kumo::ColorToPixel(format, 0, 255, 0, 255));
  ASSERT_EQ(FlipScreen(), 0);
  EXPECT_EQ(PicturePixel(100, 100), 0x00FF00u);

  ASSERT_EQ(SetDrawTarget(-4), 0);
  const kumo::MEMIMG& front = *kumo::ScreenImage(-4);
  const auto frontPixel = [&](int x, int y) {
    return static_cast<const uint32_t*>(front.pixels)[y * front.pitch / 4 + x] & 0xFFFFFF;
  };
  EXPECT_EQ(frontPixel(100, 100), 0u);
  ASSERT_EQ(PutGraph(10, 10, graph, 0), 0);
  EXPECT_EQ(frontPixel(100, 100), 0x00FF00u);
  EXPECT_EQ(frontPixel(10, 10), 0xFF0000u);
  EXPECT_EQ(PicturePixel(10, 10), 0xFF0000u);

  platform::FillWindowRect(System().window, {0, 0, 640, 480}, 0x0000FF);
  ASSERT_EQ(PutGraph(20, 20, graph, 0), 0);
  EXPECT_EQ(frontPixel(100, 100), 0x00FF00u);  // not read again
  EXPECT_EQ(PicturePixel(20, 20), 0xFF0000u);
  EXPECT_EQ(PicturePixel(10, 10), 0x0000FFu);
  EXPECT_EQ(PicturePixel(24, 24), 0x0000FFu);
}

// The same drawing through locked device surfaces and through the software screens.
TEST_F(ScreensTest, DrawingThroughLockedSurfacesGivesTheSoftwarePicture) {
  const auto draw = [&](bool window, bool software) {
    Start(window, software);
    kumo::GraphImage image{};
    kumo::CreateBgr24Image(16, 12, &image);
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 16; ++x) kumo::SetGraphImagePixel(&image, x, y, x * 16, y * 20, 200, 255);
    }
    kumo::SetGraphImagePixel(&image, 1, 1, 0, 0, 0, 255);  // the transparent colour
    const int graph = kumo::MakeGraphFromGraphImage(&image, nullptr, 0, 0);
    kumo::ReleaseGraphImage(&image);
    SetDrawTarget(-2);
    ClearScreen();
    PutGraph(100, 50, graph, 0);
    kumo::SetBlendMode(1, 128);
    PutGraph(104, 54, graph, 1);
    kumo::SetBlendMode(2, 200);
    PutGraphRotated(300, 200, 1.5, 0.5, graph, 1, 0);
    kumo::SetBlendMode(0, 0);
    FlipScreen();
    const std::vector<uint32_t> picture = platform::headless::PresentedPicture().pixels;
    Stop();
    return picture;
  };
  for (const bool window : {true, false}) {
    SCOPED_TRACE(window ? "window" : "full screen");
    const std::vector<uint32_t> hardware = draw(window, false);
    ASSERT_EQ(hardware.size(), 640u * 480u);
    EXPECT_NE(hardware[50 * 640 + 100], 0u);
    EXPECT_EQ(hardware, draw(window, true));
  }
}

// An 8-bit screen is drawn in the library's own format through a work surface, and its pixels
// turn back into the nearest entries of the fixed palette.
TEST_F(ScreensTest, AnEightBitScreenIsDrawnThroughAWorkSurfaceInPaletteColours) {
  Start(false, false);
  ASSERT_EQ(Locked([] { return kumo::ChangeScreenMode(-1, -1, 8, 0, -1); }), 0);
  EXPECT_EQ(platform::CurrentDisplayMode(), (platform::DisplayMode{640, 480, 8, 60}));
  EXPECT_EQ(TheDisplay().colorClass, kumo::kClassOther);
  kumo::GraphImage image{};
  kumo::CreateBgr24Image(4, 4, &image);
  kumo::FillGraphImage(&image, 255, 0, 0, 255);
  const int graph = kumo::MakeGraphFromGraphImage(&image, nullptr, 0, 0);
  kumo::ReleaseGraphImage(&image);
  ASSERT_EQ(SetDrawTarget(-2), 0);
  ClearScreen();
  ASSERT_EQ(PutGraph(10, 10, graph, 0), 0);
  kumo::SetBlendMode(1, 128);
  ASSERT_EQ(PutGraph(20, 10, graph, 0), 0);
  kumo::SetBlendMode(0, 0);
  ASSERT_EQ(FlipScreen(), 0);
  EXPECT_EQ(platform::PixelAt(TheDisplay().primary, 10, 10),
            static_cast<uint32_t>(MakeColor(255, 0, 0)));
  EXPECT_EQ(PicturePixel(10, 10), 0xFF0000u);
  // Half of red over black.
  int red, green, blue;
  kumo::GetColorRGB(static_cast<uint32_t>(MakeColor(127, 0, 0)), &red, &green, &blue);
  EXPECT_EQ(PicturePixel(20, 10), static_cast<uint32_t>(red << 16 | green << 8 | blue));
  EXPECT_EQ(PicturePixel(30, 10), 0u);
}

}  // namespace
