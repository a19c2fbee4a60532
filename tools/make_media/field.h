// The battle field: one table gives both the field file the game reads and the floors and walls
// drawn on the battle background, so that what a player sees is what the fighters stand on.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas.h"

namespace media {

enum class FieldPart { kLedge, kGround, kWall };

// One segment as the game reads it: floors run left to right, walls are vertical.
struct FieldLine {
  int x1, y1, x2, y2;
  FieldPart part;
};

// Every segment in file order. No two floors meet: a fighter feels one floor at a time, so
// walking off an end always drops it onto something below rather than through a join.
const std::vector<FieldLine>& FieldLines();

// "x1,y1,x2,y2" lines with CR LF ends.
std::vector<uint8_t> FieldFile();

// Draws every ledge, the ground and the walls, each floor's top edge on its segment and each
// wall's inner face on its line.
void DrawField(Canvas& canvas);

// A floating ledge of grass and stone whose top edge is the segment; `seed` varies its cracks.
void DrawLedge(Painter& painter, const FieldLine& line, int seed);

}  // namespace media
