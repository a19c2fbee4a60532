// Stand-ins for the blit members that are still being written, so that the drawing operations
// link and can be tried; this file goes when the members arrive. They draw nothing.
#include "kumo/render/blits.h"

namespace kumo {

void PutMemImgRotated(MEMIMG*, const MEMIMG&, int, int, float, float, int, int, const MEMIMG*) {}

void PutMemImgQuad(MEMIMG*, const MEMIMG&, BlitPoint, BlitPoint, BlitPoint, BlitPoint, int,
                   const MEMIMG*) {}

}  // namespace kumo
