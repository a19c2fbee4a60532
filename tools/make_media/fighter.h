// The two fighters: one drawing in seven poses, coloured per player.
#pragma once

#include "canvas.h"

namespace media {

struct FighterColours {
  Rgba tunic, cape, capeInside, trim, hair, headband, trousers, boots, emblem;
};

FighterColours Player1Colours();  // blue and gold
FighterColours Player2Colours();  // red and silver

constexpr int kFighterFrames = 7;
constexpr int kFighterCellWidth = 192;
constexpr int kFighterCellHeight = 64;

// Draws frame 0 to 6 (0 to 3 walking, 4 shooting, 5 the sword swung forward, 6 guarding),
// facing right, with the soles at the painter's origin and one unit a pixel at scale 1.
void DrawFighter(Painter& painter, const FighterColours& colours, int frame);

// The seven frames side by side, each in a 192 x 64 cell with the feet on its bottom row.
Canvas FighterSheet(const FighterColours& colours);

}  // namespace media
