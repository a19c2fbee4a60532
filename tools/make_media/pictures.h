// Every picture of the media folder but the fighters' sheets.
#pragma once

#include "canvas.h"

namespace media {

// 640 x 480, opaque: the sky, the field's floors and walls, and the frame of the numbers.
Canvas BackPicture();
// 640 x 480, opaque: the title, the two fighters, "PRESS SPACE" and both players' keys.
Canvas TitlePicture();
// The tag over a fighter's head, reading "1P" (player 1) or "2P" (player 2); it is drawn with
// its top-left corner 30 px left of and 100 px above the fighter's position.
Canvas LabelPicture(int player);

// Pictures for BMP files, drawn on transparent canvases (WriteBmp keys them on black).
Canvas BoltPicture();   // a bullet in flight, flying right
Canvas ShotPicture();   // a round shot
Canvas HitPicture();    // a hit spark
Canvas ClashPicture();  // three 64 x 106 cells of two blades clashing
Canvas SparePicture();  // a little cloud creature

}  // namespace media
