// The SDL window system: an SDL window on X11 or Wayland, whose events become the window
// messages the library expects.
#include "kumo/platform/window.h"

#include <SDL.h>

#include <cstdio>
#include <string>

#include "kumo/platform/backend.h"
#include "kumo/platform/sdl/sdl_input_events.h"
#include "kumo/platform/sdl/sdl_video.h"
#include "kumo/platform/text_encoding.h"
#include "kumo/platform/window_record.h"

namespace kumo::platform {

bool StartSdlVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
  std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
  return false;
}

namespace sdl {

namespace {

SDL_Window* Native(const Window* window) { return static_cast<SDL_Window*>(window->native); }

// Full screen: a window without a caption that stays on top.
bool IsFullScreenStyle(const Window* window) {
  return (window->style & WS_CAPTION) == 0 && window->topmost;
}

void* Create(Window* window, const char* title) {
  if (!StartSdlVideo()) return nullptr;
  Uint32 flags = window->visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  if ((window->style & WS_CAPTION) == 0) flags |= SDL_WINDOW_BORDERLESS;
  if (IsFullScreenStyle(window)) flags |= SDL_WINDOW_FULLSCREEN;
  SDL_Window* native = SDL_CreateWindow(ShiftJisToUtf8(title).c_str(), window->x, window->y,
                                        window->width, window->height, flags);
  if (native == nullptr) {
    std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
    return nullptr;
  }
  SDL_SetWindowAlwaysOnTop(native, window->topmost ? SDL_TRUE : SDL_FALSE);
  return native;
}

void Destroy(Window* window) { SDL_DestroyWindow(Native(window)); }

void Show(Window* window) { SDL_ShowWindow(Native(window)); }

void Minimize(Window* window) { SDL_MinimizeWindow(Native(window)); }

void Restyle(Window* window) {
  SDL_Window* native = Native(window);
  SDL_SetWindowFullscreen(native, IsFullScreenStyle(window) ? SDL_WINDOW_FULLSCREEN : 0);
  SDL_SetWindowBordered(native, (window->style & WS_CAPTION) != 0 ? SDL_TRUE : SDL_FALSE);
  if (window->visible) SDL_ShowWindow(native);
}

void Place(Window* window) {
  SDL_Window* native = Native(window);
  SDL_SetWindowSize(native, window->width, window->height);
  SDL_SetWindowPosition(native, window->x, window->y);
  SDL_SetWindowAlwaysOnTop(native, window->topmost ? SDL_TRUE : SDL_FALSE);
}

// The virtual-key code and the typed character of a key, for the key-down message.
void DescribeKey(const SDL_Keysym& key, uintptr_t* virtualKey, char* character) {
  const SDL_Keycode code = key.sym;
  const bool shift = (key.mod & KMOD_SHIFT) != 0;
  *character = 0;
  *virtualKey = 0;
  if (code >= SDLK_a && code <= SDLK_z) {
    *virtualKey = static_cast<uintptr_t>('A' + (code - SDLK_a));
    *character = static_cast<char>(shift ? 'A' + (code - SDLK_a) : code);
  } else if (code >= SDLK_0 && code <= SDLK_9) {
    *virtualKey = static_cast<uintptr_t>(code);
    *character = static_cast<char>(code);
  } else if (code >= 0x20 && code < 0x7F) {
    *character = static_cast<char>(code);
  }
  switch (code) {
    case SDLK_DELETE:
      *virtualKey = 0x2E;
      break;
    case SDLK_LEFT:
      *virtualKey = 0x25;
      break;
    case SDLK_UP:
      *virtualKey = 0x26;
      break;
    case SDLK_RIGHT:
      *virtualKey = 0x27;
      break;
    case SDLK_DOWN:
      *virtualKey = 0x28;
      break;
    case SDLK_SPACE:
      *virtualKey = 0x20;
      break;
    case SDLK_RETURN:
      *virtualKey = 0x0D;
      *character = 0x0D;
      break;
    case SDLK_BACKSPACE:
      *virtualKey = 0x08;
      *character = 0x08;
      break;
    case SDLK_TAB:
      *virtualKey = 0x09;
      *character = 0x09;
      break;
    case SDLK_ESCAPE:
      *virtualKey = 0x1B;
      *character = 0x1B;
      break;
    default:
      break;
  }
}

uint32_t MouseMessage(const SDL_MouseButtonEvent& button) {
  const bool down = button.type == SDL_MOUSEBUTTONDOWN;
  switch (button.button) {
    case SDL_BUTTON_LEFT:
      return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case SDL_BUTTON_RIGHT:
      return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case SDL_BUTTON_MIDDLE:
      return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default:
      return 0;
  }
}

void WindowEvent(Window* window, const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      PostWindowSystemMessage(window, WM_ACTIVATEAPP, 1, 0);
      PostWindowSystemMessage(window, WM_ACTIVATE, WA_ACTIVE, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      PostWindowSystemMessage(window, WM_ACTIVATE, WA_INACTIVE, 0);
      PostWindowSystemMessage(window, WM_ACTIVATEAPP, 0, 0);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      PostWindowSystemMessage(window, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      PostWindowSystemMessage(window, WM_PAINT, 0, 0);
      break;
    case SDL_WINDOWEVENT_MOVED:
      window->x = event.data1;
      window->y = event.data2;
      PostWindowSystemMessage(window, WM_MOVE, 0, MakeLParam(event.data1, event.data2));
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      window->width = event.data1;
      window->height = event.data2;
      PostWindowSystemMessage(window, WM_SIZE, SIZE_RESTORED, MakeLParam(event.data1, event.data2));
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      PostWindowSystemMessage(window, WM_SIZE, SIZE_MINIMIZED, 0);
      break;
    case SDL_WINDOWEVENT_MAXIMIZED:
      PostWindowSystemMessage(window, WM_SIZE, SIZE_MAXIMIZED,
                              MakeLParam(window->width, window->height));
      break;
    default:
      break;
  }
}

void PumpEvents(Window* window) {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    switch (event.type) {
      case SDL_QUIT:
        PostWindowSystemMessage(window, WM_CLOSE, 0, 0);
        break;
      case SDL_WINDOWEVENT:
        if (event.window.windowID == SDL_GetWindowID(Native(window))) {
          WindowEvent(window, event.window);
        }
        break;
      case SDL_DISPLAYEVENT: {
        SDL_DisplayMode mode{};
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
          PostWindowSystemMessage(window, WM_DISPLAYCHANGE, SDL_BYTESPERPIXEL(mode.format) * 8u,
                                  MakeLParam(mode.w, mode.h));
        }
        break;
      }
      case SDL_KEYDOWN: {
        HandleSdlInputEvent(event);
        uintptr_t virtualKey = 0;
        char character = 0;
        DescribeKey(event.key.keysym, &virtualKey, &character);
        PostWindowSystemMessage(window, WM_KEYDOWN, virtualKey, 1, character);
        break;
      }
      case SDL_MOUSEMOTION:
        PostWindowSystemMessage(window, WM_MOUSEMOVE, 0,
                                MakeLParam(event.motion.x, event.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (const uint32_t message = MouseMessage(event.button)) {
          PostWindowSystemMessage(window, message, 0, MakeLParam(event.button.x, event.button.y));
        }
        break;
      default:
        HandleSdlInputEvent(event);
        break;
    }
  }
}

void CursorPosition(int* x, int* y) { SDL_GetGlobalMouseState(x, y); }

void SetCursorVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

void Raise(Window* window) { SDL_RaiseWindow(Native(window)); }

void SetScreenSaver(bool enabled) {
  if (enabled) {
    SDL_EnableScreenSaver();
  } else {
    SDL_DisableScreenSaver();
  }
}

// There is no input method here: without text input, SDL opens none of its windows.
void SetInputMethod(bool enabled) {
  if (!enabled) SDL_StopTextInput();
}

Desktop DesktopInfo() {
  SDL_DisplayMode mode{};
  if (!StartSdlVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return {0, 0, 0};
  // Bytes, not bits: a 32-bit desktop reports 24 colour bits in 4 bytes.
  return {mode.w, mode.h, static_cast<int>(SDL_BYTESPERPIXEL(mode.format)) * 8};
}

}  // namespace

}  // namespace sdl

const WindowService kSdlWindow = {sdl::Create,     sdl::Destroy,        sdl::Show,
                                  sdl::Minimize,   sdl::Restyle,        sdl::Place,
                                  sdl::PumpEvents, sdl::CursorPosition, sdl::SetCursorVisible,
                                  sdl::Raise,      sdl::SetScreenSaver, sdl::SetInputMethod,
                                  sdl::DesktopInfo};

}  // namespace kumo::platform
