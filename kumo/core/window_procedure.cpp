// The window procedure of the library's window.
#include "kumo/core/input.h"
#include "kumo/core/system_record.h"
#include "kumo/core/text_input.h"
#include "kumo/core/window.h"
#include "kumo/platform/window.h"
#include "kumo/platform/window_bitmaps.h"
#include "kumo/render/display.h"
#include "kumo/render/draw_target.h"
#include "kumo/support/log.h"

namespace kumo {

namespace {

using platform::HighWord;
using platform::LowWord;

constexpr uint32_t kInputNoticeFirst = 0x46F;
constexpr uint32_t kInputNoticeSecond = 0x470;

void PostCloseOnce(platform::Window* window) {
  SystemRecord& system = System();
  if (system.closePosted == 1) return;
  system.closePosted = 1;
  platform::PostWindowMessage(window, platform::WM_CLOSE, 0, 0);
}

// Activation gained or lost.
void Activate(uintptr_t wParam) {
  SystemRecord& system = System();
  system.active = (wParam & 0xFFFF) != 0 ? 1 : 0;
  if (system.active == 1) {
    // Full screen after start-up: the keyboard is taken again, unless the window is minimised.
    if (system.initialised == 1 && system.settings.windowMode == 0 && HighWord(wParam) == 0) {
      InputReacquire();
    }
  }
  // Whether gained or lost, the input devices follow the window's activation.
  InputReacquire();
  if (system.closePosted == 0) InputActivationHook();
}

// A display change that the screens cannot follow closes the program.
void DisplayChanged(platform::Window* window, uintptr_t wParam, intptr_t lParam) {
  SystemRecord& system = System();
  if (system.settings.windowMode == 1 && system.modeChanging == 0) {
    const int bits = static_cast<int>(wParam);
    const int width = LowWord(lParam) & 0xFFFF;
    const int height = HighWord(lParam) & 0xFFFF;
    const int screenBits = ScreenColorDepth();
    if (bits != screenBits || width != ScreenWidth() || height != ScreenHeight()) {
      const bool cannotFollow = bits == 24 || (bits == 8 && screenBits != 8) ||
                                width < ScreenWidth() || height < ScreenHeight();
      if (cannotFollow) {
        LogWrite(
            "復元関数が登録されていないためか画面が２４ビットカラーに変更されたため終了します\n");
        LogWrite("またはスクリーンが小さすぎるためか色ビット数の違いが大きいためか終了します\n");
        PostCloseOnce(window);
        return;
      }
      RebuildScreenSurfaces();
      InputReacquire();
    }
  }
  system.displaySettled = 1;
}

void KeyDown(uintptr_t virtualKey) {
  if (TextInputHasRoom() == 0) return;
  switch (virtualKey) {
    case 0x2E:
      TextInputPut(0x10);
      break;  // Delete
    case 0x25:
      TextInputPut(0x1D);
      break;  // Left
    case 0x27:
      TextInputPut(0x1C);
      break;  // Right
    case 0x26:
      TextInputPut(0x1E);
      break;  // Up
    case 0x28:
      TextInputPut(0x1F);
      break;  // Down
    default:
      break;
  }
}

void Character(uintptr_t code) {
  if (code == 0x0A) {
    TextInputPut(0x0D);
  } else if (code >= 0x20 || code == 0x08 || code == 0x09 || code == 0x0D || code == 0x10 ||
             code == 0x1B) {
    TextInputPut(static_cast<char>(code));
  }
}

}  // namespace

intptr_t LibraryWindowProcedure(platform::Window* window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) {
  SystemRecord& system = System();
  switch (message) {
    case platform::WM_ACTIVATE:
      Activate(wParam);
      break;
    case platform::WM_ACTIVATEAPP:
      if (wParam == 0) Activate(0);
      break;
    case platform::WM_CLOSE:
      LogWrite("ウインドウを閉じようとしています\n");
      platform::DestroyTopWindow(window);
      return 0;
    case platform::WM_DESTROY:
      LogWrite("ウインドウが破棄されようとしています\n");
      LogWrite("ソフトを終了する準備が整いました\n");
      platform::PostQuit(0);
      system.quitRequested = 1;
      break;
    case platform::WM_MOVE:
      if (system.settings.windowMode == 1 && system.modeChanging == 0) {
        const int width = system.clientRect.right - system.clientRect.left;
        const int height = system.clientRect.bottom - system.clientRect.top;
        const int x = LowWord(lParam);
        const int y = HighWord(lParam);
        system.clientRect = {x, y, x + width, y + height};
        FollowClientArea();
      }
      break;
    case platform::WM_SIZE:
      if (wParam != platform::SIZE_MAXIMIZED) FitWindow();
      break;
    case platform::WM_PAINT:
      if (system.settings.windowMode == 1) {
        system.painting = 1;
        if (system.initialised == 0) {
          platform::FillWindowRect(window, platform::ClientArea(window), 0);
        } else if (CurrentDrawTarget().target == kBackBuffer) {
          PresentByCopy(0);
        }
        system.painting = 0;
      }
      break;
    case platform::WM_SETCURSOR:
    case platform::WM_MOUSEMOVE:
    case platform::WM_LBUTTONDOWN:
    case platform::WM_LBUTTONUP:
    case platform::WM_RBUTTONDOWN:
    case platform::WM_RBUTTONUP:
    case platform::WM_MBUTTONDOWN:
    case platform::WM_MBUTTONUP:
      if (system.mouseShown == 0) {
        platform::SetCursorShape(false);
        while (platform::ShowCursorCount(false) >= 0) {
        }
      }
      break;
    case platform::WM_DISPLAYCHANGE:
      DisplayChanged(window, wParam, lParam);
      break;
    case platform::WM_KEYDOWN:
      KeyDown(wParam);
      break;
    case platform::WM_CHAR:
      Character(wParam);
      break;
    case platform::WM_IME_SETCONTEXT:
      // The input method shows none of its own windows.
      return platform::DefaultWindowProcedure(window, message, wParam, 0);
    case platform::WM_IME_STARTCOMPOSITION:
    case platform::WM_IME_ENDCOMPOSITION:
    case platform::WM_IME_COMPOSITION:
      return 0;
    case platform::WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == platform::SC_SCREENSAVE ||
          (wParam & 0xFFF0) == platform::SC_MONITORPOWER) {
        return 1;
      }
      break;
    case platform::WM_MOVING:
      // In full screen the window cannot be moved.
      if (system.settings.windowMode == 0 && lParam != 0) {
        const platform::Area outer = platform::OuterArea(window);
        *reinterpret_cast<Rect*>(lParam) = {outer.left, outer.top, outer.right, outer.bottom};
      }
      break;
    case kInputNoticeFirst:
    case kInputNoticeSecond:
      SetInputNotice(message == kInputNoticeFirst ? 0 : 1, wParam == 1 ? 1 : 0);
      break;
    default:
      break;
  }
  return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

}  // namespace kumo
