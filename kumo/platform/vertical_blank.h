// Where the display's beam is: each frame of the refresh rate begins with a short vertical
// blank, then the scan lines run down the screen. Used only inside the platform layer.
#pragma once

#include <cstdint>

namespace kumo::platform {

// The part of each frame spent in the blank, in parts of 1000.
constexpr uint64_t kBlankPerMille = 50;

struct BeamPosition {
  bool inBlank;
  uint32_t line;  // between blanks: 0 to height - 1
};

// Frame n begins at n / refreshRate seconds.
BeamPosition BeamAt(uint64_t nanos, int refreshRate, int height);
uint64_t NextBlankAfter(uint64_t nanos, int refreshRate);

}  // namespace kumo::platform
