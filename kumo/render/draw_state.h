// The draw state the software blitters read: one library-wide record, set by the drawing
// operations' setters and read by every blit while the library lock is held.
#pragma once

#include <cstdint>

#include "kumo/kumo.h"

namespace kumo {

struct DrawState {
  int blendMode;                 // 0 none, 1 alpha, 2 add, 3 subtract, 4 multiply
  int blendParam;                // 0..255
  uint32_t brightness;           // 0x00RRGGBB; 0xFFFFFF leaves colours alone
  uint8_t blendGraphTable[256];  // blend graph pixel -> weight 0..255
  Rect drawArea;                 // every blit clips to it
};

inline DrawState gDrawState = {0, 0, 0xFFFFFFu, {}, {0, 0, 640, 480}};

}  // namespace kumo
