// The backend-independent half of the window system: classes, the window record, the message
// queues and dispatch, and the cursor's display count. The backends supply the native window and
// its events.
#include "kumo/platform/window.h"

#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "kumo/platform/backend.h"
#include "kumo/platform/threads.h"
#include "kumo/platform/window_record.h"

namespace kumo::platform {

namespace {

const WindowService& Service() {
  static const WindowService& service = Choose(kSdlWindow, kHeadlessWindow);
  return service;
}

// The calling thread's queue counters.
thread_local MessageQueueCounters tCounters{0, 0};

struct WindowSystem {
  std::mutex mutex;  // guards everything below: messages may be posted from any thread
  std::map<std::string, WindowProcedure> classes;
  std::set<Window*> windows;
  std::map<uint32_t, std::deque<Message>> queues;  // by thread
  int cursorCount = 0;
  bool cursorShape = true;
};

// Never destroyed: the library's message thread may still pump while the process exits.
WindowSystem& System() {
  static WindowSystem* system = new WindowSystem;
  return *system;
}

void Post(uint32_t thread, const Message& message) {
  std::lock_guard<std::mutex> hold(System().mutex);
  System().queues[thread].push_back(message);
}

// Whether the window still exists: a window that is gone is never looked into.
bool IsLive(const Window* window) {
  std::lock_guard<std::mutex> hold(System().mutex);
  return System().windows.count(const_cast<Window*>(window)) != 0;
}

WindowProcedure ProcedureOf(const Window* window) {
  std::lock_guard<std::mutex> hold(System().mutex);
  const auto found = System().classes.find(window->className);
  return found == System().classes.end() ? nullptr : found->second;
}

void ApplyCursor() {
  Service().setCursorVisible(System().cursorCount >= 0 && System().cursorShape);
}

}  // namespace

bool WindowExists(const Window* window) { return IsLive(window); }

bool RegisterWindowClass(const char* className, WindowProcedure procedure) {
  std::lock_guard<std::mutex> hold(System().mutex);
  return procedure != nullptr && System().classes.emplace(className, procedure).second;
}

void UnregisterWindowClass(const char* className) {
  std::lock_guard<std::mutex> hold(System().mutex);
  System().classes.erase(className);
}

Window* CreateTopWindow(const char* className, const char* title, uint32_t style, uint32_t exStyle,
                        int x, int y, int width, int height) {
  {
    std::lock_guard<std::mutex> hold(System().mutex);
    if (System().classes.count(className) == 0) return nullptr;
  }
  Window* window = new Window;
  window->className = className;
  window->style = style;
  window->exStyle = exStyle;
  window->x = x;
  window->y = y;
  window->width = width;
  window->height = height;
  window->topmost = (exStyle & WS_EX_TOPMOST) != 0;
  window->visible = (style & WS_VISIBLE) != 0;
  window->ownerThread = CurrentThreadId();
  window->native = Service().create(window, title);
  if (window->native == nullptr) {
    delete window;
    return nullptr;
  }
  std::lock_guard<std::mutex> hold(System().mutex);
  System().windows.insert(window);
  return window;
}

void DestroyTopWindow(Window* window) {
  if (!IsLive(window)) return;
  const WindowProcedure procedure = ProcedureOf(window);
  if (procedure != nullptr) procedure(window, WM_DESTROY, 0, 0);
  Service().destroy(window);
  std::lock_guard<std::mutex> hold(System().mutex);
  System().windows.erase(window);
  for (auto& [thread, queue] : System().queues) {
    for (auto it = queue.begin(); it != queue.end();) {
      it = it->window == window ? queue.erase(it) : it + 1;
    }
  }
  delete window;
}

void ShowTopWindow(Window* window) {
  if (!IsLive(window)) return;
  window->visible = true;
  Service().show(window);
}

void MinimizeTopWindow(Window* window) {
  if (IsLive(window)) Service().minimize(window);
}

void SetWindowStyles(Window* window, uint32_t style, uint32_t exStyle) {
  if (!IsLive(window)) return;
  window->style = style;
  window->exStyle = exStyle;
  if ((style & WS_VISIBLE) != 0) window->visible = true;
  Service().restyle(window);
}

void SetWindowPlace(Window* window, int x, int y, int width, int height, bool topmost) {
  if (!IsLive(window)) return;
  window->x = x;
  window->y = y;
  window->width = width;
  window->height = height;
  window->topmost = topmost;
  Service().place(window);
}

Area OuterForClient(int width, int height, uint32_t, uint32_t) { return {0, 0, width, height}; }

Area ClientArea(const Window* window) {
  if (!IsLive(window)) return {0, 0, 0, 0};
  return {0, 0, window->width, window->height};
}

Area OuterArea(const Window* window) {
  if (!IsLive(window)) return {0, 0, 0, 0};
  return {window->x, window->y, window->x + window->width, window->y + window->height};
}

void ClientOrigin(const Window* window, int* x, int* y) {
  if (!IsLive(window)) {
    *x = 0;
    *y = 0;
    return;
  }
  *x = window->x;
  *y = window->y;
}

void PostWindowMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  PostWindowSystemMessage(window, message, wParam, lParam);
}

void PostWindowSystemMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                             char character) {
  if (!IsLive(window)) return;
  Post(window->ownerThread, {window, message, wParam, lParam, character});
}

void PostQuit(int exitCode) {
  Post(CurrentThreadId(), {nullptr, WM_QUIT, static_cast<uintptr_t>(exitCode), 0, 0});
}

bool PeekAndRemoveMessage(Message* message) {
  const uint32_t self = CurrentThreadId();
  std::vector<Window*> owned;
  {
    std::lock_guard<std::mutex> hold(System().mutex);
    for (Window* window : System().windows) {
      if (window->ownerThread == self) owned.push_back(window);
    }
  }
  for (Window* window : owned) Service().pumpEvents(window);

  std::lock_guard<std::mutex> hold(System().mutex);
  std::deque<Message>& queue = System().queues[self];
  tCounters.looks += 1;
  if (queue.empty()) return false;
  *message = queue.front();
  queue.pop_front();
  tCounters.taken += 1;
  return true;
}

MessageQueueCounters QueueCounters() { return tCounters; }

void TranslateWindowMessage(const Message& message) {
  if (message.message == WM_KEYDOWN && message.character != 0) {
    PostWindowSystemMessage(message.window, WM_CHAR, static_cast<unsigned char>(message.character),
                            message.lParam);
  }
}

intptr_t DispatchWindowMessage(const Message& message) {
  if (message.window == nullptr || !IsLive(message.window)) return 0;
  const WindowProcedure procedure = ProcedureOf(message.window);
  if (procedure == nullptr) return 0;
  return procedure(message.window, message.message, message.wParam, message.lParam);
}

intptr_t DefaultWindowProcedure(Window*, uint32_t, uintptr_t, intptr_t) { return 0; }

int ShowCursorCount(bool show) {
  System().cursorCount += show ? 1 : -1;
  ApplyCursor();
  return System().cursorCount;
}

void SetCursorShape(bool arrow) {
  System().cursorShape = arrow;
  ApplyCursor();
}

void CursorPosition(int* x, int* y) { Service().cursorPosition(x, y); }

void BringWindowToTop(Window* window) {
  if (IsLive(window)) Service().raise(window);
}

void SetForegroundWindow(Window* window) {
  if (IsLive(window)) Service().raise(window);
}

void SetActiveWindow(Window* window) {
  if (IsLive(window)) Service().raise(window);
}

void SetScreenSaverEnabled(bool enabled) { Service().setScreenSaver(enabled); }

void SetInputMethodEnabled(Window*, bool enabled) { Service().setInputMethod(enabled); }

Desktop DesktopInfo() { return Service().desktop(); }

}  // namespace kumo::platform
