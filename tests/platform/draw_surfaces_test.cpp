#include "kumo/platform/draw_surfaces.h"

#include <gtest/gtest.h>

#include <array>

#include "kumo/platform/headless/headless_display.h"
#include "kumo/platform/headless/script.h"
#include "kumo/platform/headless/virtual_clock.h"
#include "tests/platform/display_fixture.h"

namespace kumo::platform {
namespace {

using headless::PresentedPicture;

constexpr PixelFormat kIndexed8 = {kPixelIndexed8, 8, 0, 0, 0, 0, 0};

TEST_F(DisplayTest, LocksGiveThePitchFormatAndRectangle) {
  struct Case {
    SurfaceKind kind;
    int width, height;
    PixelFormat format;
    int pitch;
    PixelFormat locked;
  };
  const Case cases[] = {
      // Rows start on 8-byte boundaries; a plain surface takes the desktop's 32-bit format.
      {SurfaceKind::OffScreen, 13, 5, {}, 56, DisplayPixelFormat(32)},
      {SurfaceKind::OffScreen, 13, 5, kRgb565, 32, kRgb565},
      {SurfaceKind::OffScreen, 13, 5, kIndexed8, 16, kIndexed8},
      {SurfaceKind::Depth, 13, 5, {}, 32, {kPixelDepth, 16, 0, 0, 0, 0, 0xFFFF}},
      {SurfaceKind::Primary, 0, 0, {}, 1920 * 4, DisplayPixelFormat(32)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pitch);
    Surface* surface = Make(c.kind, c.width, c.height, c.format);
    LockedPixels whole{};
    ASSERT_EQ(LockSurface(surface, nullptr, &whole), kDrawOk);
    EXPECT_EQ(whole.pitch, c.pitch);
    EXPECT_EQ(whole.width, c.kind == SurfaceKind::Primary ? 1920 : c.width);
    EXPECT_EQ(whole.height, c.kind == SurfaceKind::Primary ? 1080 : c.height);
    EXPECT_EQ(whole.format.flags, c.locked.flags);
    EXPECT_EQ(whole.format.bitsPerPixel, c.locked.bitsPerPixel);
    EXPECT_EQ(whole.format.redMask, c.locked.redMask);
    EXPECT_EQ(whole.format.depthMask, c.locked.depthMask);
    ASSERT_EQ(UnlockSurface(surface), kDrawOk);

    const Area rect = {2, 1, 5, 3};
    LockedPixels part{};
    ASSERT_EQ(LockSurface(surface, &rect, &part), kDrawOk);
    EXPECT_EQ(part.pixels, whole.pixels + c.pitch + 2 * (c.locked.bitsPerPixel / 8));
    EXPECT_EQ(part.width, 3);
    EXPECT_EQ(part.height, 2);
    ASSERT_EQ(UnlockSurface(surface), kDrawOk);
    ReleaseSurface(surface);
    surfaces_.pop_back();
  }
}

TEST_F(DisplayTest, ALockedSurfaceTakesNothingElseAndBadRequestsAreRefused) {
  Surface* surface = Make(SurfaceKind::OffScreen, 8, 8, kRgb565);
  Surface* other = Make(SurfaceKind::OffScreen, 8, 8, kRgb565);
  LockedPixels locked{};
  ASSERT_EQ(LockSurface(surface, nullptr, &locked), kDrawOk);
  EXPECT_EQ(LockSurface(surface, nullptr, &locked), kDrawSurfaceBusy);
  EXPECT_EQ(Blit(other, nullptr, surface, nullptr, false), kDrawSurfaceBusy);
  EXPECT_EQ(FillColor(surface, nullptr, 1), kDrawSurfaceBusy);
  EXPECT_EQ(UnlockSurface(surface), kDrawOk);
  EXPECT_EQ(UnlockSurface(surface), kDrawNotLocked);

  const Area outside = {4, 4, 9, 6};
  const Area turned = {4, 4, 2, 6};
  EXPECT_EQ(LockSurface(surface, &outside, &locked), kDrawInvalidRect);
  EXPECT_EQ(LockSurface(surface, &turned, &locked), kDrawInvalidRect);

  Surface* refused = nullptr;
  const SurfaceRequest bad[] = {
      {SurfaceKind::OffScreen, 0, 8, kRgb565},
      {SurfaceKind::OffScreen, 8, 8, {kPixelIndexed8, 16, 0, 0, 0, 0, 0}},
      {SurfaceKind::OffScreen, 8, 8, {kPixelRgb, 16, 0xFF0000, 0xFF00, 0xFF, 0, 0}},
      {SurfaceKind::Primary, 0, 0, {}},    // one primary at a time
      {SurfaceKind::FlipChain, 0, 0, {}},  // only with the display taken whole
  };
  EXPECT_EQ(CreateSurface(display_, bad[0], &refused), kDrawInvalidParams);
  EXPECT_EQ(CreateSurface(display_, bad[1], &refused), kDrawInvalidParams);
  EXPECT_EQ(CreateSurface(display_, bad[2], &refused), kDrawInvalidParams);
  Make(SurfaceKind::Primary);
  EXPECT_EQ(CreateSurface(display_, bad[3], &refused), kDrawPrimaryExists);
  EXPECT_EQ(refused, nullptr);
  ReleaseSurface(surfaces_.back());
  surfaces_.pop_back();
  EXPECT_EQ(CreateSurface(display_, bad[4], &refused), kDrawNoExclusiveMode);

  DisplayCaps caps{};
  ASSERT_EQ(DescribeDisplay(display_, &caps), kDrawOk);
  EXPECT_FALSE(caps.device3D);
  EXPECT_EQ(caps.videoMemory, 0u);
}

TEST_F(DisplayTest, FillsWriteTheRectangleOnly) {
  Surface* color = Make(SurfaceKind::OffScreen, 6, 4, kRgb565);
  Surface* depth = Make(SurfaceKind::Depth, 6, 4);
  const Area rect = {1, 1, 4, 3};
  ASSERT_EQ(FillColor(color, &rect, 0xF81F), kDrawOk);
  ASSERT_EQ(FillDepth(depth, nullptr, 0xFFFF), kDrawOk);
  EXPECT_EQ(PixelAt(color, 1, 1), 0xF81Fu);
  EXPECT_EQ(PixelAt(color, 3, 2), 0xF81Fu);
  EXPECT_EQ(PixelAt(color, 4, 2), 0u);
  EXPECT_EQ(PixelAt(color, 1, 3), 0u);
  EXPECT_EQ(PixelAt(depth, 5, 3), 0xFFFFu);

  const Area outside = {5, 0, 7, 1};
  EXPECT_EQ(FillColor(color, &outside, 1), kDrawInvalidRect);
  EXPECT_EQ(FillColor(depth, nullptr, 1), kDrawInvalidParams);
  EXPECT_EQ(FillDepth(color, nullptr, 1), kDrawInvalidParams);
}

// A 3 x 1 source {1, 2, 3} with colour key 2 onto a 6 x 2 destination filled with 9.
TEST_F(DisplayTest, BlitsCopyScaleAndLeaveOutTheKey) {
  using Picture = std::array<uint32_t, 12>;
  struct Case {
    const char* name;
    bool fast;
    Area destination;  // BlitFast: its left and top
    Area source;
    bool key;
    Picture expected;
  };
  const Case cases[] = {
      {"same size", false, {1, 0, 4, 1}, {0, 0, 3, 1}, false, {9, 1, 2, 3, 9, 9, 9, 9, 9, 9, 9, 9}},
      {"scaled up", false, {0, 0, 6, 2}, {0, 0, 3, 1}, false, {1, 1, 2, 2, 3, 3, 1, 1, 2, 2, 3, 3}},
      {"scaled, keyed",
       false,
       {0, 0, 6, 2},
       {0, 0, 3, 1},
       true,
       {1, 1, 9, 9, 3, 3, 1, 1, 9, 9, 3, 3}},
      {"scaled down",
       false,
       {5, 1, 6, 2},
       {0, 0, 3, 1},
       false,
       {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 2}},
      {"part of the source",
       false,
       {0, 1, 2, 2},
       {1, 0, 3, 1},
       false,
       {9, 9, 9, 9, 9, 9, 2, 3, 9, 9, 9, 9}},
      {"fast, keyed", true, {3, 1, 0, 0}, {0, 0, 3, 1}, true, {9, 9, 9, 9, 9, 9, 9, 9, 9, 1, 9, 3}},
  };
  Surface* source = Make(SurfaceKind::OffScreen, 3, 1, kRgb565);
  Surface* destination = Make(SurfaceKind::OffScreen, 6, 2, kRgb565);
  for (int x = 0; x < 3; ++x) {
    const Area one = {x, 0, x + 1, 1};
    ASSERT_EQ(FillColor(source, &one, x + 1), kDrawOk);
  }
  const uint32_t key = 2;
  ASSERT_EQ(SetSourceColorKey(source, &key), kDrawOk);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(FillColor(destination, nullptr, 9), kDrawOk);
    const DrawResult result = c.fast ? BlitFast(destination, c.destination.left, c.destination.top,
                                                source, &c.source, c.key)
                                     : Blit(destination, &c.destination, source, &c.source, c.key);
    ASSERT_EQ(result, kDrawOk);
    Picture seen{};
    for (int i = 0; i < 12; ++i) seen[i] = PixelAt(destination, i % 6, i / 6);
    EXPECT_EQ(seen, c.expected);
  }
}

TEST_F(DisplayTest, BlitsRefuseWhatDoesNotFitAndReadThemselvesBeforeWriting) {
  Surface* row = Make(SurfaceKind::OffScreen, 4, 1, kRgb565);
  Surface* wide = Make(SurfaceKind::OffScreen, 4, 1, DisplayPixelFormat(32));
  for (int x = 0; x < 4; ++x) {
    const Area one = {x, 0, x + 1, 1};
    ASSERT_EQ(FillColor(row, &one, x + 1), kDrawOk);
  }
  const Area left = {0, 0, 3, 1};
  const Area right = {1, 0, 4, 1};
  ASSERT_EQ(Blit(row, &right, row, &left, false), kDrawOk);
  EXPECT_EQ(PixelAt(row, 1, 0), 1u);
  EXPECT_EQ(PixelAt(row, 3, 0), 3u);

  const Area beyond = {2, 0, 5, 1};
  EXPECT_EQ(Blit(wide, nullptr, row, nullptr, false), kDrawUnsupported);
  EXPECT_EQ(Blit(row, nullptr, row, &beyond, false), kDrawInvalidRect);
  EXPECT_EQ(Blit(row, &beyond, row, &left, false), kDrawInvalidRect);
  EXPECT_EQ(BlitFast(row, 2, 0, row, &left, false), kDrawInvalidRect);
  Clipper* clipper = nullptr;
  ASSERT_EQ(CreateClipper(display_, &clipper), kDrawOk);
  ASSERT_EQ(AttachClipper(row, clipper), kDrawOk);
  EXPECT_EQ(BlitFast(row, 0, 0, row, &left, false), kDrawUnsupported);
  ReleaseClipper(clipper);
  EXPECT_EQ(BlitFast(row, 0, 0, row, &left, false), kDrawOk);
}

// The primary is the desktop; a clipper bound to the window keeps a blit inside its client area,
// and a blit that covers the whole window is a presented frame.
TEST_F(DisplayTest, TheClipperKeepsBlitsOntoThePrimaryInsideTheWindow) {
  std::string error;
  ASSERT_TRUE(headless::UseScript("", &error));
  Surface* primary = Make(SurfaceKind::Primary);
  Surface* source = Make(SurfaceKind::OffScreen, 200, 100);
  ASSERT_EQ(FillColor(source, nullptr, 0x123456), kDrawOk);
  Clipper* clipper = nullptr;
  ASSERT_EQ(CreateClipper(display_, &clipper), kDrawOk);
  ASSERT_EQ(BindClipperToWindow(clipper, window_), kDrawOk);
  ASSERT_EQ(AttachClipper(primary, clipper), kDrawOk);

  const Area around = {kX - 10, kY - 10, kX + 190, kY + 90};
  ASSERT_EQ(Blit(primary, &around, source, nullptr, false), kDrawOk);
  EXPECT_EQ(PixelAt(primary, kX, kY), 0x123456u);
  EXPECT_EQ(PixelAt(primary, kX + kWidth - 1, kY + kHeight - 1), 0x123456u);
  EXPECT_EQ(PixelAt(primary, kX - 1, kY), 0u);
  EXPECT_EQ(PixelAt(primary, kX, kY + kHeight), 0u);
  EXPECT_EQ(headless::PresentedFrames(), 1);
  ASSERT_EQ(PresentedPicture().width, kWidth);
  ASSERT_EQ(PresentedPicture().height, kHeight);
  EXPECT_EQ(PresentedPicture().pixels.back(), 0x123456u);

  // Without the clipper the rectangle must lie on the surface.
  const Area offDesktop = {-1, 0, 199, 100};
  EXPECT_EQ(Blit(primary, &offDesktop, source, nullptr, false), kDrawOk);
  ASSERT_EQ(AttachClipper(primary, nullptr), kDrawOk);
  EXPECT_EQ(Blit(primary, &offDesktop, source, nullptr, false), kDrawInvalidRect);
  ReleaseClipper(clipper);
}

TEST_F(DisplayTest, FlipSwapsTheChainAndWaitsForTheBlank) {
  TakeWhole({640, 480, 16, 0});
  Surface* primary = Make(SurfaceKind::FlipChain);
  Surface* back = nullptr;
  ASSERT_EQ(BackBufferOf(primary, &back), kDrawOk);
  ASSERT_EQ(FillColor(back, nullptr, 0xF800), kDrawOk);
  ASSERT_EQ(FillColor(primary, nullptr, 0x001F), kDrawOk);

  headless::SetVirtualNanos(5000000);
  ASSERT_EQ(Flip(primary, false), kDrawOk);
  EXPECT_EQ(PixelAt(primary, 639, 479), 0xF800u);
  EXPECT_EQ(PixelAt(back, 0, 0), 0x001Fu);
  // Held whole, the display shows all of the primary, whatever the window's place.
  EXPECT_EQ(PresentedPicture().width, 640);
  EXPECT_EQ(PresentedPicture().pixels[0], 0xFF0000u);
  EXPECT_LT(headless::VirtualNanos(), 16666667u);

  ASSERT_EQ(Flip(primary, true), kDrawOk);
  EXPECT_EQ(PixelAt(primary, 0, 0), 0x001Fu);
  // At the second blank of virtual time, and then as long as presenting takes.
  EXPECT_EQ(headless::VirtualNanos(), 16666667u + 1000000u);
  surfaces_.push_back(back);
}

TEST_F(DisplayTest, LostSurfacesRefuseWorkUntilRestored) {
  Surface* primary = Make(SurfaceKind::Primary);
  Surface* plain = Make(SurfaceKind::OffScreen, 4, 4);
  ASSERT_EQ(FillColor(plain, nullptr, 7), kDrawOk);
  LoseAllSurfaces();
  LockedPixels locked{};
  EXPECT_EQ(SurfaceLostState(primary), kDrawSurfaceLost);
  EXPECT_EQ(LockSurface(plain, nullptr, &locked), kDrawSurfaceLost);
  EXPECT_EQ(Blit(primary, nullptr, plain, nullptr, false), kDrawSurfaceLost);
  EXPECT_EQ(FillColor(plain, nullptr, 7), kDrawSurfaceLost);
  EXPECT_EQ(RestoreSurface(primary), kDrawOk);
  EXPECT_EQ(RestoreSurface(plain), kDrawOk);
  EXPECT_EQ(SurfaceLostState(plain), kDrawOk);
  EXPECT_EQ(PixelAt(plain, 3, 3), 0u);  // restored memory is cleared

  // A mode change loses every surface; the old primary no longer fits the display.
  TakeWhole({800, 600, 32, 0});
  EXPECT_EQ(SurfaceLostState(plain), kDrawSurfaceLost);
  EXPECT_EQ(RestoreSurface(primary), kDrawWrongMode);
  EXPECT_EQ(RestoreSurface(plain), kDrawOk);
}

TEST_F(DisplayTest, TheDisplayRefusesModesOutsideItsListAndGivesTheDesktopBack) {
  const DisplayMode desktop = {1920, 1080, 32, 60};
  EXPECT_EQ(DesktopDisplayMode(), desktop);
  EXPECT_EQ(SetDisplayMode(display_, {640, 480, 16, 0}), kDrawNoExclusiveMode);
  ASSERT_EQ(SetCooperation(display_, window_, Cooperation::ExclusiveFullScreen, false), kDrawOk);
  const DisplayMode refused[] = {{640, 480, 24, 0}, {320, 240, 16, 0}, {640, 480, 16, 75}};
  for (const DisplayMode& mode : refused) {
    EXPECT_EQ(SetDisplayMode(display_, mode), kDrawUnsupportedMode);
    EXPECT_FALSE(ChangeDisplayModeFor(window_, mode, true));
  }
  EXPECT_EQ(CurrentDisplayMode(), desktop);

  ASSERT_EQ(SetDisplayMode(display_, {640, 480, 16, 0}), kDrawOk);
  EXPECT_EQ(CurrentDisplayMode(), (DisplayMode{640, 480, 16, 60}));
  Message message{};
  bool told = false;
  while (PeekAndRemoveMessage(&message)) {
    told = told || (message.message == WM_DISPLAYCHANGE && message.wParam == 16 &&
                    message.lParam == MakeLParam(640, 480));
  }
  EXPECT_TRUE(told);
  ASSERT_EQ(SetCooperation(display_, window_, Cooperation::Normal, false), kDrawOk);
  EXPECT_EQ(CurrentDisplayMode(), desktop);

  // The window's own route to the same list.
  EXPECT_TRUE(ChangeDisplayModeFor(window_, {800, 600, 16, 60}, true));
  EXPECT_EQ(CurrentDisplayMode(), desktop);
  EXPECT_TRUE(ChangeDisplayModeFor(window_, {800, 600, 16, 0}, false));
  EXPECT_EQ(CurrentDisplayMode(), (DisplayMode{800, 600, 16, 60}));
  RestoreDesktopDisplayMode();
  EXPECT_EQ(CurrentDisplayMode(), desktop);
}

// At 60 Hz on the 1080 lines of the desktop, frame n begins at n / 60 s with a blank of 5 % of
// the frame; the scan line follows the virtual clock.
TEST_F(DisplayTest, TheVerticalBlankFollowsTheVirtualClock) {
  struct Case {
    uint64_t nanos;
    bool inBlank;
    uint32_t line;
  };
  const Case cases[] = {
      {0, true, 0},          {833332, true, 0},       {833333, false, 0},
      {8750001, false, 540}, {16666666, false, 1079}, {16666667, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nanos);
    bool inBlank = false;
    uint32_t line = 99;
    headless::SetVirtualNanos(c.nanos);
    ASSERT_EQ(VerticalBlankStatus(display_, &inBlank), kDrawOk);
    EXPECT_EQ(inBlank, c.inBlank);
    headless::SetVirtualNanos(c.nanos);
    EXPECT_EQ(ScanLine(display_, &line), c.inBlank ? kDrawVerticalBlankInProgress : kDrawOk);
    if (!c.inBlank) {
      EXPECT_EQ(line, c.line);
    }
  }
  headless::SetVirtualNanos(5000000);
  ASSERT_EQ(WaitForVerticalBlank(display_), kDrawOk);
  EXPECT_EQ(headless::VirtualNanos(), 16666667u);
  ASSERT_EQ(WaitForVerticalBlank(display_), kDrawOk);
  EXPECT_EQ(headless::VirtualNanos(), 33333334u);
}

TEST_F(DisplayTest, ThePaletteOfAn8BitDisplayColoursWhatIsShown) {
  TakeWhole({640, 480, 8, 0});
  Surface* primary = Make(SurfaceKind::Primary);
  PaletteColor colors[256] = {};
  colors[5] = {10, 20, 30};
  Palette* palette = nullptr;
  ASSERT_EQ(CreatePalette(display_, colors, &palette), kDrawOk);
  ASSERT_EQ(AttachPalette(primary, palette), kDrawOk);
  ASSERT_EQ(FillColor(primary, nullptr, 5), kDrawOk);
  EXPECT_EQ(PresentedPicture().pixels[0], 0x0A141Eu);

  const PaletteColor changed = {40, 50, 60};
  ASSERT_EQ(SetPaletteColors(palette, 5, 1, &changed), kDrawOk);
  EXPECT_EQ(PresentedPicture().pixels[0], 0x28323Cu);
  EXPECT_EQ(SetPaletteColors(palette, 255, 2, colors), kDrawInvalidParams);
  Surface* color = Make(SurfaceKind::OffScreen, 2, 2, kRgb565);
  EXPECT_EQ(AttachPalette(color, palette), kDrawUnsupported);
  ReleasePalette(palette);
}

}  // namespace
}  // namespace kumo::platform
