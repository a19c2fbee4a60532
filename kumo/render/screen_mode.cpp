// Changing the screen mode: everything on the screen is released, the display is put into the
// new mode (falling back to the previous one, then to 640 x 480 x 16), and the screens, the
// graphics management and the display's timing are made anew.
#include "kumo/core/bodies.h"
#include "kumo/core/fatal_exit.h"
#include "kumo/core/system_record.h"
#include "kumo/core/window.h"
#include "kumo/image/graph_handles.h"
#include "kumo/platform/clock.h"
#include "kumo/platform/draw_surfaces.h"
#include "kumo/platform/window.h"
#include "kumo/platform/window_bitmaps.h"
#include "kumo/render/display.h"
#include "kumo/render/display_object.h"
#include "kumo/render/display_state.h"
#include "kumo/render/draw_target.h"
#include "kumo/render/frame_timing.h"
#include "kumo/render/screen_color.h"
#include "kumo/render/screen_surfaces.h"
#include "kumo/support/log.h"

namespace kumo {

namespace {

// Mode changes are kept this far apart; a change that comes sooner waits until the later time
// after the previous one.
constexpr uint32_t kChangeSpacingMillis = 2000;
constexpr uint32_t kChangeSettledMillis = 2060;
constexpr uint32_t kChangePauseMillis = 60;
constexpr ScreenModeValues kFallbackMode = {640, 480, 16, 0};

bool LibraryRunning() { return System().initialised == 1 || System().initialising == 1; }
bool FullScreen() { return System().settings.windowMode == 0; }

bool SameSizeAndDepth(const ScreenModeValues& a, const ScreenModeValues& b) {
  return a.width == b.width && a.height == b.height && a.colorDepth == b.colorDepth;
}

ScreenModeValues WithDefaults(ScreenModeValues values) {
  if (values.width == 0) values.width = kFallbackMode.width;
  if (values.height == 0) values.height = kFallbackMode.height;
  if (values.colorDepth == 0) values.colorDepth = kFallbackMode.colorDepth;
  return values;
}

void PaceChange() {
  DisplayState& display = TheDisplay();
  const uint32_t since = platform::TickMillis() - display.lastModeChange;
  if (display.modeChangedOnce != 0 && since < kChangeSpacingMillis) {
    platform::SleepMillis(kChangeSettledMillis - since);
  } else {
    platform::SleepMillis(kChangePauseMillis);
  }
  display.lastModeChange = platform::TickMillis();
  display.modeChangedOnce = 1;
}

// Puts the display into a full-screen mode: software mode through the window's display
// settings (asked first, then made), otherwise through the display object.
bool SetDisplayTo(const ScreenModeValues& values, bool withRefreshRate) {
  DisplayState& display = TheDisplay();
  const platform::DisplayMode mode = {values.width, values.height, values.colorDepth,
                                      withRefreshRate ? values.refreshRate : 0};
  bool changed;
  if (display.software != 0) {
    changed = platform::ChangeDisplayModeFor(System().window, mode, true) &&
              platform::ChangeDisplayModeFor(System().window, mode, false);
  } else {
    changed = !platform::DrawFailed(platform::SetDisplayMode(display.display, mode));
  }
  if (changed) display.displayModeChanged = 1;
  return changed;
}

// The mode with its refresh rate when one is asked for, then with any.
bool SetDisplayToMode(const ScreenModeValues& values) {
  return (values.refreshRate != 0 && SetDisplayTo(values, true)) || SetDisplayTo(values, false);
}

void RestoreDesktopMode() {
  DisplayState& display = TheDisplay();
  if (display.software != 0) {
    platform::RestoreDesktopDisplayMode();
  } else {
    platform::RestoreDisplayMode(display.display);
  }
  display.displayModeChanged = 0;
}

// The first mode: the window's display is shared with the desktop (window mode, at the
// desktop's depth) or taken whole and put into the mode. -1 when it cannot be.
int SetScreenMode() {
  DisplayState& display = TheDisplay();
  SystemRecord& system = System();
  const ScreenModeValues& mode = display.mode;
  LogWriteFormat("画面モードの変更処理を開始します %u x %u  %u bit ", mode.width, mode.height,
                 mode.colorDepth);
  if (!FullScreen()) {
    LogWrite("ウインドウモードにします\n");
    if (system.desktopWidth < mode.width || system.desktopHeight < mode.height) {
      FatalExit("デスクトップ画面のサイズが足りません、ソフトを終了します");
    }
    if (display.displayModeChanged != 0) {
      LogWrite("フルスクリーンモードから抜けます\n");
      RestoreDesktopMode();
    }
    if (system.desktopBits == 24) return -1;
    display.mode.colorDepth = system.desktopBits;
    SetCooperativeLevel(false);
  } else {
    if (mode.colorDepth == 24) return -1;
    LogWrite("画面解像度を変更します... ");
    // Software mode changes the display itself and leaves it shared.
    if (display.software == 0) SetCooperativeLevel(true);
    if (!SetDisplayToMode(mode)) {
      LogWrite("画面モードの変更に失敗しました\n");
      return -1;
    }
    LogWrite("成功しました\n");
  }
  LogWrite("画面モードの変更は正常に終了しました \n");
  return 0;
}

// The first change: the requested mode, else the previous one, else 640 x 480 x 16 (-2).
int FirstScreenMode(const ScreenModeValues& previous) {
  DisplayState& display = TheDisplay();
  SystemRecord& system = System();
  if (FullScreen()) FitWindow();
  const platform::Desktop desktop = platform::DesktopInfo();
  system.desktopWidth = desktop.width;
  system.desktopHeight = desktop.height;
  display.mode = WithDefaults(display.mode);
  if (SetScreenMode() == 0) return 0;
  const ScreenModeValues older = WithDefaults(previous);
  if (!SameSizeAndDepth(older, display.mode)) {
    display.mode = older;
    if (SetScreenMode() == 0) return 0;
  }
  display.mode = kFallbackMode;
  if (SetScreenMode() == 0) return -2;
  FatalExit("予期せぬ画面モード変更不能現象が起きました\n");
}

// A full-screen mode after the first: the requested one, else the previous one, else
// 640 x 480 x 16 (-2).
int SetLaterDisplayMode(const ScreenModeValues& previous) {
  DisplayState& display = TheDisplay();
  if (SetDisplayToMode(display.mode)) return 0;
  const ScreenModeValues older = WithDefaults(previous);
  if (!SameSizeAndDepth(older, display.mode) && SetDisplayToMode(older)) {
    display.mode = older;
    return 0;
  }
  display.mode = kFallbackMode;
  if (SetDisplayToMode(kFallbackMode)) return -2;
  FatalExit("予期せぬ画面モード変更不能現象が起きました2\n");
}

// A later change: software mode changes the display mode itself; otherwise the display object
// is made anew for the window or the full-screen mode.
int LaterScreenMode(const ScreenModeValues& previous) {
  DisplayState& display = TheDisplay();
  int result = 0;
  if (display.software != 0) {
    if (display.exclusive != 0) SetCooperativeLevel(false);
    if (FullScreen()) {
      LogWrite("画面解像度を変更します... ");
      result = SetLaterDisplayMode(previous);
      LogWrite("成功しました\n");
    } else if (display.displayModeChanged != 0) {
      RestoreDesktopMode();
    }
    return result;
  }
  LogWrite("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放します\n");
  platform::SetCooperation(display.display, System().window, platform::Cooperation::Normal, false);
  ReleaseDirectDraw();
  LogWrite("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
  AcquireDirectDraw();
  SetCooperativeLevel(FullScreen());
  if (FullScreen()) result = SetLaterDisplayMode(previous);
  return result;
}

void AnalyseDisplayFormat() {
  if (TheDisplay().software != 0) {
    DescribeSoftwareFormat();
    return;
  }
  DescribeDisplayFormat(platform::DisplayPixelFormat(platform::CurrentDisplayMode().bitsPerPixel));
  const DDPIXELFORMAT& format = TheDisplay().ddFormat;
  LogWrite("カラー情報\n");
  LogTabIn();
  LogWriteFormat("A:%08x  B:%08x  G:%08x  B:%08x", format.dwRGBAlphaBitMask, format.dwRBitMask,
                 format.dwGBitMask, format.dwBBitMask);
  LogTabOut();
}

}  // namespace

int ChangeScreenMode(int width, int height, int depth, int force, int refreshRate) {
  DisplayState& display = TheDisplay();
  const ScreenModeValues wanted = {width != -1 ? width : display.mode.width,
                                   height != -1 ? height : display.mode.height,
                                   depth != -1 ? depth : display.mode.colorDepth,
                                   refreshRate != -1 ? refreshRate : display.mode.refreshRate};
  if (wanted == display.mode && force == 0) return 0;
  LogWrite("画面モード変更処理を開始します\n");
  LogTabIn();
  int fontSize = -1, fontThickness = -1;
  const bool hadFont = GetDefaultFontSizeAndWeight(&fontSize, &fontThickness);
  const ScreenModeValues previous = display.mode;
  display.mode = wanted;
  // Before start-up the values only wait for it.
  if (!LibraryRunning() || IsGraphicsReady() == 0) {
    LogTabOut();
    return 0;
  }
  PaceChange();

  const uint32_t transparent = GraphicsSettings().transparentColor;
  TermGraphics();
  ReleaseScreenPalette();
  DestroyScreenSurfaces();
  const int result = display.ready == 0 ? FirstScreenMode(previous) : LaterScreenMode(previous);

  AnalyseDisplayFormat();
  if (display.software != 0 || !FullScreen()) FitWindow();
  if (CreateScreenSurfaces() != 0) {
    LogTabOut();
    LogWrite("DirectDrawSurface の初期化に失敗しました\n");
    return -1;
  }
  // There is no 3D device to bring up: graphics are drawn through the screen surfaces.
  InitGraphics();
  SetDrawTargetBody(kBackBuffer);
  SetDrawTargetBody(kFrontBuffer);
  if (hadFont) SetDefaultFontSizeAndWeight(fontSize, fontThickness);
  if (display.software == 0 && display.mode.colorDepth == 8) CreateScreenPalette();
  if (display.software == 0) ChooseSurfaceTransfer();
  MeasureFrameTime();
  GraphicsSettings().transparentColor = transparent;
  LogTabOut();
  LogWrite("画面モード変更処理は正常に終了しました\n");
  ProcessMessageBody();
  return result;
}

void RebuildScreenSurfaces() {
  if (TheDisplay().ready == 0) return;
  DestroyScreenSurfaces();
  AnalyseDisplayFormat();
  CreateScreenSurfaces();
  SetDrawTargetBody(CurrentDrawTarget().target);
}

}  // namespace kumo
