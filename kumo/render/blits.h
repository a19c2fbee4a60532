// The software blit families: pixel loops that draw one MEMIMG into another under the current
// draw state (blend mode and parameter, brightness, blend graph threshold table, draw area).
// A request they cannot serve draws nothing; none reports failure.
#pragma once

#include "kumo/render/mem_img.h"

namespace kumo {

// The source with its top-left corner at (x, y). `transparent` honours the colour key;
// `blendGraph` (an 8-bit channel image at least the source's size) or null.
void PutMemImg(MEMIMG* dest, const MEMIMG& src, int x, int y, int transparent,
               const MEMIMG* blendGraph);

}  // namespace kumo
