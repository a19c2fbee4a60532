// The window system: window classes, one top-level window with its styles and place, message
// queues per thread with the window procedure behind them, the cursor, and the desktop.
#pragma once

#include <cstdint>

namespace kumo::platform {

struct Window;

using WindowProcedure = intptr_t (*)(Window* window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);

// Message numbers.
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t WM_SETCURSOR = 0x0020;
constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_IME_STARTCOMPOSITION = 0x010D;
constexpr uint32_t WM_IME_ENDCOMPOSITION = 0x010E;
constexpr uint32_t WM_IME_COMPOSITION = 0x010F;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MOVING = 0x0216;
constexpr uint32_t WM_IME_SETCONTEXT = 0x0281;
constexpr uint32_t WM_IME_NOTIFY = 0x0282;

// WM_SIZE kinds, WM_ACTIVATE states, WM_SYSCOMMAND commands.
constexpr uintptr_t SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;
constexpr uintptr_t WA_INACTIVE = 0, WA_ACTIVE = 1;
constexpr uintptr_t SC_SCREENSAVE = 0xF140, SC_MONITORPOWER = 0xF170;

// Window styles.
constexpr uint32_t WS_POPUP = 0x80000000u;
constexpr uint32_t WS_VISIBLE = 0x10000000u;
constexpr uint32_t WS_CAPTION = 0x00C00000u;
constexpr uint32_t WS_SYSMENU = 0x00080000u;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000u;
constexpr uint32_t WS_EX_TOPMOST = 0x00000008u;
constexpr uint32_t WS_EX_WINDOWEDGE = 0x00000100u;
constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200u;

struct Message {
  Window* window;  // none for a thread message such as WM_QUIT
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  char character;  // WM_KEYDOWN: the character the key types, or 0
};

// Packs two 16-bit values into an lParam, the low one first, and takes them out again (signed).
inline intptr_t MakeLParam(int low, int high) {
  return static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(low)) |
                               (static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16));
}
inline int LowWord(intptr_t value) { return static_cast<int16_t>(value & 0xFFFF); }
inline int HighWord(intptr_t value) { return static_cast<int16_t>((value >> 16) & 0xFFFF); }

struct Area {
  int left, top, right, bottom;
};

// Window classes, by name.
bool RegisterWindowClass(const char* className, WindowProcedure procedure);
void UnregisterWindowClass(const char* className);

// Creates the top-level window of a registered class, not yet shown, with its outer place on
// the desktop; its messages go to the calling thread. None on failure.
Window* CreateTopWindow(const char* className, const char* title, uint32_t style, uint32_t exStyle,
                        int x, int y, int width, int height);

// Calls the procedure with WM_DESTROY, then takes the window away; its queued messages are
// dropped.
void DestroyTopWindow(Window* window);

// Shows the window (and has it painted), or minimises it.
void ShowTopWindow(Window* window);
void MinimizeTopWindow(Window* window);

void SetWindowStyles(Window* window, uint32_t style, uint32_t exStyle);
// Moves and sizes the window (outer place); `topmost` keeps it above others.
void SetWindowPlace(Window* window, int x, int y, int width, int height, bool topmost);

// The outer size a window needs for a client area of `width` x `height` with these styles.
Area OuterForClient(int width, int height, uint32_t style, uint32_t exStyle);

// The client area (from 0, 0) and the outer area in desktop coordinates.
Area ClientArea(const Window* window);
Area OuterArea(const Window* window);
// The client area's top-left corner on the desktop.
void ClientOrigin(const Window* window, int* x, int* y);

// Messages. A window's messages go to the queue of the thread that created it.
void PostWindowMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void PostQuit(int exitCode);
// Takes the calling thread's next message; false when there is none. On the thread that owns the
// window, the window system's own events are turned into messages first.
bool PeekAndRemoveMessage(Message* message);
// How often the calling thread has looked into its queue, and how many messages it took.
struct MessageQueueCounters {
  uint64_t looks;
  uint64_t taken;
};
MessageQueueCounters QueueCounters();
// Turns a key that types a character into a WM_CHAR behind it.
void TranslateWindowMessage(const Message& message);
// Calls the window's procedure; 0 for a thread message or a window that is gone.
intptr_t DispatchWindowMessage(const Message& message);
intptr_t DefaultWindowProcedure(Window* window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

// The cursor: a display count (shown while 0 or more) and a shape that may be none.
int ShowCursorCount(bool show);
void SetCursorShape(bool arrow);
void CursorPosition(int* x, int* y);

// Bringing the window forward: to the top, as the foreground window, as the active window.
void BringWindowToTop(Window* window);
void SetForegroundWindow(Window* window);
void SetActiveWindow(Window* window);

void SetScreenSaverEnabled(bool enabled);
void SetInputMethodEnabled(Window* window, bool enabled);

struct Desktop {
  int width, height, bitsPerPixel;
};
Desktop DesktopInfo();

}  // namespace kumo::platform
