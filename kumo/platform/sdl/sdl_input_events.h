// The input service's share of the SDL events that the window service pumps on the main thread.
#pragma once

#include <SDL.h>

namespace kumo::platform {

// Called for every keyboard, joystick and game-controller event.
void HandleSdlInputEvent(const SDL_Event& event);

}  // namespace kumo::platform
