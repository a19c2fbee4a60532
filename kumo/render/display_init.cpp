// Bringing the display up and down, and switching to software rendering.
#include "kumo/core/bodies.h"
#include "kumo/core/fatal_exit.h"
#include "kumo/core/system_record.h"
#include "kumo/image/graph_handles.h"
#include "kumo/platform/draw_surfaces.h"
#include "kumo/platform/window_bitmaps.h"
#include "kumo/render/blend_tables.h"
#include "kumo/render/display.h"
#include "kumo/render/display_object.h"
#include "kumo/render/display_state.h"
#include "kumo/render/draw_target.h"
#include "kumo/render/screen_surfaces.h"
#include "kumo/support/log.h"

namespace kumo {

namespace {

void MakeClipper() {
  DisplayState& display = TheDisplay();
  if (platform::DrawFailed(platform::CreateClipper(display.display, &display.clipper))) {
    LogWrite("ＤｉｒｅｃｔＤｒａｗＣｌｉｐｐｅｒオブジェクトの作成に失敗しました\n");
    FatalExit("DirectDrawClipperオブジェクトの作成時にエラーが発生しました");
  }
  if (platform::DrawFailed(platform::BindClipperToWindow(display.clipper, System().window))) {
    FatalExit("DirectDrawClipperオブジェクトの作成時にエラーが発生しました");
  }
}

}  // namespace

int InitDirectDraw() {
  DisplayState& display = TheDisplay();
  if (display.display != nullptr) return -1;
  LogWrite("DirectDraw 関連の初期化を行います\n");
  LogTabIn();
  AcquireDirectDraw();
  if (display.software == 0) MakeClipper();
  if (display.mode.width == 0) display.mode.width = 640;
  if (display.mode.height == 0) display.mode.height = 480;
  if (display.mode.colorDepth == 0) display.mode.colorDepth = 16;
  if (ChangeScreenMode(-1, -1, -1, 1, -1) == -1) {
    LogTabOut();
    EndDirectDraw();
    return -1;
  }
  SetDrawTargetBody(kBackBuffer);
  ClearScreenBody();
  SetDrawTargetBody(kFrontBuffer);
  // The display offers no video overlay, so movies are never shown on one.
  LogWrite("オーバーレイサーフェスは使用しません\n");
  LogTabOut();
  LogWrite("DirectDraw 関連の初期化は正常に終了しました\n");
  GetBlendTables();
  display.ready = 1;
  return 0;
}

int EndDirectDraw() {
  DisplayState& display = TheDisplay();
  if (display.display == nullptr) return 0;
  LogWrite("DirectDraw 関連の終了処理をおこないます\n");
  LogTabIn();
  ReleaseScreenPalette();
  TermGraphics();
  DestroyScreenSurfaces();
  platform::ReleaseClipper(display.clipper);
  display.clipper = nullptr;
  LogWrite("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放します\n");
  ReleaseDirectDraw();
  LogWrite("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
  // Software mode changed the display mode itself; the display object gave back its own.
  if (display.software != 0) {
    platform::RestoreDesktopDisplayMode();
    display.displayModeChanged = 0;
  }
  LogWrite("画面モードを元に戻す処理は正常に終了しました\n");
  LogTabOut();
  LogWrite("DirectDraw 関連の終了処理は正常に終了しました\n");
  display.ready = 0;
  return 0;
}

int SetUseSoftwareRender(int hardware) {
  DisplayState& display = TheDisplay();
  if (display.software != 0) hardware = 0;
  display.software = hardware == 0 ? 1 : 0;
  if (display.display != nullptr) {
    const int target = CurrentDrawTarget().target;
    ReleaseAllGraphs();
    ChangeScreenMode(-1, -1, -1, 1, -1);
    if (target == kFrontBuffer || target == kBackBuffer) SetDrawTargetBody(target);
  }
  return 0;
}

}  // namespace kumo
