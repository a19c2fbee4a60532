// The mask screen as this system has it: never made, so never in use.
#include "kumo/render/mask_screen.h"

namespace kumo {

int MaskScreenInUse() { return 0; }
void MaskBeforeDraw(const Rect&) {}
void MaskAfterDraw(const Rect&) {}
MEMIMG* MaskWorkImage() { return nullptr; }

}  // namespace kumo
