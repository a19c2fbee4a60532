// The mask screen: a screen-sized 8-bit mask that drawing may be sent through. While it is in
// use, a draw goes into its work image and the steps before and after the draw combine that with
// the target. No operation of this system creates a mask screen, so it is never in use.
#pragma once

#include "kumo/kumo.h"
#include "kumo/render/mem_img.h"

namespace kumo {

// 1 while drawing goes through the mask screen.
int MaskScreenInUse();

// Around one draw into `rect` of the target.
void MaskBeforeDraw(const Rect& rect);
void MaskAfterDraw(const Rect& rect);

// The image drawing goes into while the mask screen is in use.
MEMIMG* MaskWorkImage();

}  // namespace kumo
