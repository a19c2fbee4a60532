// SDL's keyboard state in the library's scan codes.
#pragma once

#include <cstdint>

namespace kumo::platform::sdl {

// `sdlState` is SDL's array of `count` bytes, indexed by SDL scan code, non-zero for a held key;
// `state` receives bit 7 for each held key at its library scan code, 0 elsewhere.
void SdlKeysToScanCodes(const uint8_t* sdlState, int count, uint8_t state[256]);

}  // namespace kumo::platform::sdl
