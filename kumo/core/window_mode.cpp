// The window's styles, size and place for window mode and full screen, and the cursor.
#include "kumo/core/bodies.h"
#include "kumo/core/system_record.h"
#include "kumo/core/window.h"
#include "kumo/platform/clock.h"
#include "kumo/platform/window.h"
#include "kumo/render/display.h"
#include "kumo/support/log.h"

namespace kumo {

namespace {

constexpr uint32_t kWindowModeStyle =
    platform::WS_POPUP | platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX;
constexpr uint32_t kWindowModeExStyle = platform::WS_EX_WINDOWEDGE | platform::WS_EX_CLIENTEDGE;
constexpr uint32_t kFullScreenStyle = platform::WS_POPUP;
constexpr uint32_t kFullScreenExStyle = platform::WS_EX_TOPMOST;
constexpr uint32_t kLongestDisplayChangeMillis = 1000;

void ReadClientRect() {
  SystemRecord& system = System();
  int x = 0, y = 0;
  platform::ClientOrigin(system.window, &x, &y);
  const platform::Area client = platform::ClientArea(system.window);
  system.clientRect = {x, y, x + client.right, y + client.bottom};
}

}  // namespace

double EffectiveWindowScale() {
  const SystemRecord& system = System();
  if (system.settings.windowMode == 0 || system.settings.windowScale <= 0) return 1.0;
  return system.settings.windowScale;
}

WindowShape WindowModeShape() {
  const SystemRecord& system = System();
  WindowShape shape{};
  shape.style =
      kWindowModeStyle | (system.settings.windowStyleVisible == 1 ? platform::WS_VISIBLE : 0u);
  shape.exStyle = kWindowModeExStyle;
  const double scale = system.settings.windowScale > 0 ? system.settings.windowScale : 1.0;
  const platform::Area outer = platform::OuterForClient(static_cast<int>(ScreenWidth() * scale),
                                                        static_cast<int>(ScreenHeight() * scale),
                                                        shape.style, shape.exStyle);
  shape.width = outer.right - outer.left;
  shape.height = outer.bottom - outer.top;
  shape.x = (system.desktopWidth - shape.width) / 2 + outer.left;
  shape.y = (system.desktopHeight - shape.height) / 2 + outer.top;
  return shape;
}

WindowShape FullScreenShape() {
  return {kFullScreenStyle, kFullScreenExStyle, 0, 0, ScreenWidth(), ScreenHeight()};
}

void SetWindowModeFlag(int flag) {
  System().settings.windowMode = flag;
  LogWrite(flag != 0 ? "ウインドウモードフラグが立てられました\n"
                     : "ウインドウモードフラグが倒されました\n");
}

void ApplyWindowStyle() {
  SystemRecord& system = System();
  if (system.window == nullptr) return;
  if (system.settings.windowMode == 1) {
    LogWrite("ウインドウスタイルをウインドウモード用に変更します... ");
    const WindowShape shape = WindowModeShape();
    platform::SetWindowStyles(system.window, shape.style, shape.exStyle);
    platform::SetWindowPlace(system.window, shape.x, shape.y, shape.width, shape.height, false);
    ReadClientRect();
    // The client area's top-left corner must stay on the desktop.
    const Rect client = system.clientRect;
    if (client.left < 0 || client.top < 0) {
      platform::SetWindowPlace(system.window, shape.x - client.left, shape.y - client.top,
                               shape.width, shape.height, false);
      system.clientRect = {0, 0, client.right - client.left, client.bottom - client.top};
    }
    SetMouseShown(1);
    LogWrite("完了\n");
  } else {
    LogWrite("ウインドウスタイルをフルスクリーンモード用に変更します... ");
    const WindowShape shape = FullScreenShape();
    platform::SetWindowStyles(system.window, shape.style, shape.exStyle);
    system.clientRect = {0, 0, shape.width, shape.height};
    platform::ShowTopWindow(system.window);
    platform::SetWindowPlace(system.window, 0, 0, shape.width, shape.height, true);
    SetMouseShown(0);
    LogWrite("完了\n");
  }
  platform::SetActiveWindow(system.window);
  platform::PostWindowMessage(system.window, platform::WM_SETCURSOR, 0, 0);
}

void FitWindow() {
  SystemRecord& system = System();
  if (system.window == nullptr) return;
  const double scale = EffectiveWindowScale();
  const int clientWidth = static_cast<int>(ScreenWidth() * scale);
  const int clientHeight = static_cast<int>(ScreenHeight() * scale);
  const platform::Area outer = platform::OuterArea(system.window);
  const platform::Area client = platform::ClientArea(system.window);
  const int frameWidth = (outer.right - outer.left) - (client.right - client.left);
  const int frameHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
  platform::SetWindowPlace(system.window, outer.left, outer.top, clientWidth + frameWidth,
                           clientHeight + frameHeight, system.settings.windowMode == 0);
  if (system.settings.windowMode == 1 && system.settings.windowStyleVisible == 0) {
    system.settings.windowStyleVisible = 1;
    ApplyWindowStyle();
  }
}

void SetMouseShown(int flag) {
  SystemRecord& system = System();
  system.mouseRequest = flag;
  const int show = flag == 1 ? 1 : 0;
  if (show != system.mouseShown) {
    if (show == 1) {
      while (platform::ShowCursorCount(true) < 0) {
      }
    } else {
      while (platform::ShowCursorCount(false) >= 0) {
      }
    }
    if (system.window != nullptr) {
      platform::PostWindowMessage(system.window, platform::WM_SETCURSOR, 0, 0);
    }
    system.mouseShown = show;
  }
}

void GetCursorPoint(int* x, int* y) {
  const SystemRecord& system = System();
  int cursorX = 0, cursorY = 0;
  platform::CursorPosition(&cursorX, &cursorY);
  if (system.settings.windowMode == 1) {
    const double scale = EffectiveWindowScale();
    *x = static_cast<int>((cursorX - system.clientRect.left) / scale);
    *y = static_cast<int>((cursorY - system.clientRect.top) / scale);
  } else {
    *x = cursorX;
    *y = cursorY;
  }
}

void GetClientScreenRect(Rect* rect) { *rect = System().clientRect; }

int ChangeWindowModeBody(int flag) {
  SystemRecord& system = System();
  LogWrite("ChangeWindowMode実行 \n");
  if (flag == system.settings.windowMode) return 0;
  system.settings.windowStyleVisible = 1;
  SetWindowModeFlag(flag);
  if (system.window == nullptr) return 0;

  system.modeChanging = 1;
  system.displaySettled = 0;
  ApplyWindowStyle();
  const int result = ChangeScreenMode(-1, -1, -1, 1, -1);
  // The display change is reported by a message; one that never comes must not hold the
  // program here for ever.
  const uint32_t start = platform::TickMillis();
  while (ProcessMessageBody() == 0 && system.displaySettled == 0 &&
         platform::TickMillis() - start < kLongestDisplayChangeMillis) {
  }
  system.modeChanging = 0;
  return result;
}

}  // namespace kumo
