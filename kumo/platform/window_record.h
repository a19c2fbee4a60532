// The window record behind platform::Window, shared by the window service and its backends.
#pragma once

#include <cstdint>
#include <string>

#include "kumo/platform/window.h"

namespace kumo::platform {

struct Window {
  std::string className;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  // Outer place on the desktop. The window system draws any frame outside it, so the client
  // area has the same place and size.
  int x = 0, y = 0, width = 0, height = 0;
  bool topmost = false;
  bool visible = false;
  uint32_t ownerThread = 0;  // whose queue receives its messages
  void* native = nullptr;    // the backend's window
};

// Whether the window still exists: other services keep windows they were given, and must not
// look into one that is gone.
bool WindowExists(const Window* window);

// Posts a message that the window system raised, with the character a key types.
void PostWindowSystemMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                             char character = 0);

}  // namespace kumo::platform
