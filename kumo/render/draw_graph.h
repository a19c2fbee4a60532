// The drawing operations that put a graphics handle on the current draw target under the draw
// state. PutGraph itself is PutGraphBody (kumo/core/bodies.h). Each returns 0 on success and -1
// for an invalid graphic, a blend graph that is invalid or smaller than the graphic, or a store
// that cannot be reached; 0 without drawing while drawing is suspended or the draw area is
// empty. `transparent` 1 honours the graphic's transparent colour or alpha.
#pragma once

namespace kumo {

// The graphic scaled into (x1, y1, x2, y2); x2 < x1 or y2 < y1 mirror it.
int PutGraphStretched(int x1, int y1, int x2, int y2, int handle, int transparent);

// The graphic scaled and turned by `angle` radians about its centre, centred on (x, y); `mirror`
// 1 flips it left to right.
int PutGraphRotated(float x, float y, double scale, double angle, int handle, int transparent,
                    int mirror);

// The graphic mapped onto the quadrilateral with these corners: top-left, top-right,
// bottom-right, bottom-left.
int PutGraphCorners(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                    int handle, int transparent);

// The graphic flipped left to right, top-left corner at (x, y).
int PutGraphMirrored(int x, int y, int handle, int transparent);

// The sub-rectangle (sx, sy, w, h) of the graphic with its top-left corner at (x, y); `mirror`
// 1 flips it left to right.
int PutGraphRect(int x, int y, int sx, int sy, int w, int h, int handle, int transparent,
                 int mirror);

// The sub-rectangle (sx, sy, sw, sh) of the graphic scaled into (x1, y1, x2, y2); reversed
// corners mirror it. -1 for an empty source rectangle.
int PutGraphRectStretched(int x1, int y1, int x2, int y2, int sx, int sy, int sw, int sh,
                          int handle, int transparent);

}  // namespace kumo
