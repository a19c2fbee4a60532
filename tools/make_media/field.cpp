#include "field.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace media {

namespace {

const Rgba kOutline = Hex(0x241a22);
const Rgba kGrass = Hex(0x5cb83a);
const Rgba kGrassLight = Hex(0xa6e86a);
const Rgba kGrassDark = Hex(0x3a7d2a);
const Rgba kStone = Hex(0x8c7a68);
const Rgba kStoneDark = Hex(0x5e4e44);
const Rgba kSoil = Hex(0x7a5236);
const Rgba kSoilDark = Hex(0x4e3222);

float YAt(const FieldLine& line, float x) {
  return line.y1 + (line.y2 - line.y1) * (x - line.x1) / float(line.x2 - line.x1);
}

// The ground: turf on the segment and earth down to the bottom of the screen.
void DrawGround(Canvas& canvas, const FieldLine& line) {
  FillRect(canvas, line.x1, line.y1, line.x2, canvas.height(), [&](float x, float y) {
    const float depth = y - line.y1;
    if (depth < 1.5f) return kGrassLight;
    if (depth < 6) return kGrass;
    // Earth in soft horizontal layers with a few pebbles.
    const float n = ValueNoise(x / 9, y / 5, 11);
    Rgba soil = Mix(kSoil, kSoilDark, std::min(1.0f, depth / 46) * 0.8f + n * 0.2f);
    if (Hash(int(x) / 3, int(y) / 3, 5) > 0.985f) soil = Shade(kStone, 1.1f);
    return soil;
  });
  // Turf hanging into the earth, as on the ledges.
  Painter p(canvas, {0, 0}, 1);
  for (float x = line.x1 + 4; x < line.x2; x += 8) {
    const float y = line.y1 + 5.5f;
    p.Fill(Polygon({{x - 3, y}, {x + 3, y}, {x, y + 4.5f}}), kGrass);
  }
  FillRect(canvas, line.x1, line.y1 + 6, line.x2, line.y1 + 7, Hex(0x2f5e22, 0.6f));
}

// A stone pillar from the wall's line out to the screen edge.
void DrawWall(Canvas& canvas, const FieldLine& line) {
  const int top = std::min(line.y1, line.y2), bottom = std::max(line.y1, line.y2);
  const bool left = line.x1 < canvas.width() / 2;
  const int x0 = left ? 0 : line.x1, x1 = left ? line.x1 : canvas.width();
  FillRect(canvas, x0, top, x1, bottom, [&](float x, float y) {
    const int row = int(y) / 12;
    const bool mortar = int(y) % 12 == 0 || (int(x + (row % 2) * 5) % 10 == 0);
    Rgba c = mortar ? Hex(0x4a4048) : Mix(Hex(0x9a8c86), Hex(0x7a6c68), Hash(row, int(x) / 10, 3));
    // The face the fighters bump into is lit.
    const float face = left ? x1 - x : x - x0;
    if (face < 2) c = Hex(0xc9bcb0);
    if (face >= 2 && face < 3) c = kOutline;
    return c;
  });
}

}  // namespace

void DrawLedge(Painter& p, const FieldLine& line, int seed) {
  const float x1 = line.x1, x2 = line.x2, y1 = line.y1, y2 = line.y2;
  const float depth = 12;
  const Shape slab = Polygon({{x1, y1}, {x2, y2}, {x2 - 3, y2 + depth}, {x1 + 3, y1 + depth}});
  const Shape below = Polygon({{x1 + 8, y1 + depth - 1},
                               {x2 - 8, y2 + depth - 1},
                               {(x1 + x2) / 2 + 10, (y1 + y2) / 2 + depth + 9},
                               {(x1 + x2) / 2 - 14, (y1 + y2) / 2 + depth + 11}});
  p.Outlined(Union(slab, below), kStone, kOutline, 1.5f);
  p.Fill(Intersect(
             Union(slab, below),
             Polygon({{x1 - 5, y1 + 8}, {x2 + 5, y2 + 8}, {x2 + 5, y2 + 40}, {x1 - 5, y1 + 40}})),
         [&](Vec q) {
           return Mix(kStone, kStoneDark, std::min(1.0f, (q.y - YAt(line, q.x) - 8) / 14));
         });
  // Cracks in the stone, placed by the ledge's own seed.
  for (int i = 0; i < 3; ++i) {
    const float t = 0.2f + 0.3f * i + 0.1f * Hash(i, 1, seed);
    const float x = x1 + (x2 - x1) * t;
    p.Fill(Capsule({x, YAt(line, x) + 6}, {x + 3, YAt(line, x) + 10}, 0.6f), kStoneDark);
  }
  // Turf: a band under the segment whose top is the segment itself, with tufts hanging over.
  const Shape turf = Polygon({{x1 - 1, y1}, {x2 + 1, y2}, {x2 + 1, y2 + 4}, {x1 - 1, y1 + 4}});
  p.Fill(turf, kGrass);
  for (float x = x1 + 3; x < x2 - 2; x += 7) {
    const float y = YAt(line, x);
    p.Fill(Polygon({{x - 2.5f, y + 3.5f}, {x + 2.5f, y + 3.5f}, {x, y + 7.5f}}), kGrassDark);
  }
  p.Fill(Polygon({{x1 - 1, y1}, {x2 + 1, y2}, {x2 + 1, y2 + 1.2f}, {x1 - 1, y1 + 1.2f}}),
         kGrassLight);
}

const std::vector<FieldLine>& FieldLines() {
  static const std::vector<FieldLine> lines{
      // High ledges over the slopes.
      {64, 176, 160, 176, FieldPart::kLedge},
      {480, 176, 576, 176, FieldPart::kLedge},
      // Two slopes of 15 degrees rising towards the middle.
      {32, 290, 166, 254, FieldPart::kLedge},
      {474, 254, 608, 290, FieldPart::kLedge},
      // The middle ledge and the two low ones, a jump above the ground.
      {256, 300, 384, 300, FieldPart::kLedge},
      {40, 362, 170, 362, FieldPart::kLedge},
      {470, 362, 600, 362, FieldPart::kLedge},
      // Walls at both edges, from the top of the screen down to the ground.
      {10, 0, 10, 440, FieldPart::kWall},
      {630, 0, 630, 440, FieldPart::kWall},
      {0, 440, 640, 440, FieldPart::kGround},
  };
  return lines;
}

std::vector<uint8_t> FieldFile() {
  std::string text;
  for (const FieldLine& l : FieldLines()) {
    text += std::to_string(l.x1) + "," + std::to_string(l.y1) + "," + std::to_string(l.x2) + "," +
            std::to_string(l.y2) + "\r\n";
  }
  return {text.begin(), text.end()};
}

void DrawField(Canvas& canvas) {
  Painter painter(canvas, {0, 0}, 1);
  int seed = 0;
  for (const FieldLine& line : FieldLines()) {
    switch (line.part) {
      case FieldPart::kLedge:
        DrawLedge(painter, line, ++seed);
        break;
      case FieldPart::kGround:
        DrawGround(canvas, line);
        break;
      case FieldPart::kWall:
        DrawWall(canvas, line);
        break;
    }
  }
}

}  // namespace media
