#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "field.h"
#include "fighter.h"
#include "font.h"

namespace media {

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

const Rgba kInk = Hex(0x1a1424);
const Rgba kWhite = Hex(0xffffff);
const Rgba kPlayer1 = Hex(0x3f86ff);
const Rgba kPlayer2 = Hex(0xf0404a);

float Smooth(float edge0, float edge1, float v) {
  const float t = std::min(1.0f, std::max(0.0f, (v - edge0) / (edge1 - edge0)));
  return t * t * (3 - 2 * t);
}

// Late-afternoon sky: deep blue above, warm towards the horizon, so that white text stays
// readable over it.
Rgba SkyAt(float y) {
  const Rgba top = Hex(0x1d2f6e), middle = Hex(0x4f78c4), low = Hex(0xf2b98a);
  if (y < 230) return Mix(top, middle, y / 230);
  return Mix(middle, low, std::min(1.0f, (y - 230) / 190));
}

void DrawSky(Canvas& canvas) {
  FillRect(canvas, 0, 0, canvas.width(), canvas.height(), [](float, float y) { return SkyAt(y); });
  // The sun low in the sky, with its glow.
  Painter p(canvas, {0, 0}, 1);
  p.Fill(Circle({470, 330}, 120), [](Vec q) {
    const float d = Length(q - Vec{470, 330});
    return Hex(0xffe6b0, 0.45f * (1 - Smooth(20, 120, d)));
  });
  p.Fill(Circle({470, 330}, 26), Hex(0xfff3d0));
}

// A range of hills along `base`, its outline from smooth noise.
void DrawHills(Canvas& canvas, float base, float height, float scale, Rgba colour, int seed) {
  FillRect(canvas, 0, static_cast<int>(base - height), canvas.width(), canvas.height(),
           [&](float x, float y) {
             const float n = ValueNoise(x / scale, 0.5f, seed) * 0.7f +
                             ValueNoise(x / (scale / 3), 3.5f, seed + 1) * 0.3f;
             const float ridge = base - height * n;
             return WithAlpha(colour, std::min(1.0f, std::max(0.0f, y - ridge + 0.5f)));
           });
}

// A cumulus cloud: a row of puffs on a flat bottom, lit from above.
void DrawCloud(Canvas& canvas, Vec at, float size, float alpha, int seed) {
  Painter p(canvas, {0, 0}, 1);
  Shape cloud = RoundBox(at + Vec{0, -size * 0.25f}, size * 1.6f, size * 0.25f, size * 0.25f);
  const int puffs = 5;
  for (int i = 0; i < puffs; ++i) {
    const float t = (i + 0.5f) / puffs;
    const float r =
        size * (0.45f + 0.45f * std::sin(t * 3.14159f)) * (0.8f + 0.4f * Hash(i, 0, seed));
    cloud = Union(cloud, Circle(at + Vec{(t - 0.5f) * size * 2.6f, -r * 0.9f}, r));
  }
  cloud = Intersect(cloud, Polygon({at + Vec{-size * 3, -size * 3}, at + Vec{size * 3, -size * 3},
                                    at + Vec{size * 3, 0}, at + Vec{-size * 3, 0}}));
  p.Fill(cloud, [&](Vec q) {
    const float t = Smooth(at.y - size * 1.2f, at.y, q.y);
    return WithAlpha(Mix(Hex(0xfff8f0), Hex(0xe8a6a8), t), alpha);
  });
}

void DrawScenery(Canvas& canvas, int seed) {
  DrawSky(canvas);
  DrawCloud(canvas, {110, 120}, 34, 0.55f, seed + 1);
  DrawCloud(canvas, {560, 90}, 26, 0.45f, seed + 2);
  DrawCloud(canvas, {330, 215}, 40, 0.6f, seed + 3);
  DrawHills(canvas, 395, 90, 150, Hex(0x8c88b8), seed + 4);
  DrawCloud(canvas, {150, 330}, 44, 0.8f, seed + 5);
  DrawCloud(canvas, {520, 345}, 50, 0.8f, seed + 6);
  DrawHills(canvas, 430, 55, 90, Hex(0x5d5f96), seed + 7);
}

// Text in the bitmap font with a dark rim (none when `rim` is 0) and an optional drop shadow.
void DrawText(Canvas& canvas, int x, int y, int scale, const std::string& text,
              const std::function<Rgba(float, float)>& fill, float rim, int shadow = 0) {
  Mask mask(canvas.width(), canvas.height());
  AddText(mask, x, y, scale, text);
  if (rim > 0) {
    const Mask outline = Dilate(mask, rim);
    if (shadow) Paint(canvas, outline, Hex(0x0a0818, 0.45f), shadow / 2, shadow);
    Paint(canvas, outline, kInk);
  }
  Paint(canvas, mask, fill);
}

void DrawText(Canvas& canvas, int x, int y, int scale, const std::string& text, Rgba fill,
              float rim, int shadow = 0) {
  DrawText(
      canvas, x, y, scale, text, [&](float, float) { return fill; }, rim, shadow);
}

void DrawCentredText(Canvas& canvas, int y, int scale, const std::string& text, Rgba fill,
                     float rim, int shadow = 0) {
  DrawText(canvas, (canvas.width() - TextWidth(text, scale)) / 2, y, scale, text, fill, rim,
           shadow);
}

// A dark see-through panel with a thin light rim.
void DrawPanel(Canvas& canvas, float x0, float y0, float x1, float y1, Rgba rim) {
  Painter p(canvas, {0, 0}, 1);
  const Shape box = RoundBox({(x0 + x1) / 2, (y0 + y1) / 2}, (x1 - x0) / 2, (y1 - y0) / 2, 6);
  p.Fill(box, Hex(0x0e1430, 0.62f));
  p.Fill(Subtract(box, Grow(box, -1.5f)), rim);
}

// A key of the keyboard with its legend.
int DrawKey(Canvas& canvas, int x, int y, const std::string& legend) {
  const int width = std::max(18, TextWidth(legend, 2) + 8);
  Painter p(canvas, {0, 0}, 1);
  const Shape cap = RoundBox({x + width / 2.0f, y + 9.0f}, width / 2.0f, 9, 3);
  p.Outlined(cap, Hex(0xa8aec0), kInk, 1);
  p.Fill(RoundBox({x + width / 2.0f, y + 8.0f}, width / 2.0f - 1.5f, 7.5f, 2.5f), Hex(0xf2f3f8));
  Mask mask(canvas.width(), canvas.height());
  AddText(mask, x + (width - TextWidth(legend, 2)) / 2, y + 2, 2, legend);
  Paint(canvas, mask, kInk);
  return width;
}

struct Control {
  std::vector<std::string> keys;
  std::string action;
};

void DrawControls(Canvas& canvas, int x, int y, const std::string& player, Rgba colour,
                  const std::vector<Control>& controls) {
  DrawPanel(canvas, x, y, x + 292, y + 100, WithAlpha(colour, 0.9f));
  Painter p(canvas, {0, 0}, 1);
  p.Fill(RoundBox({x + 30.0f, y + 15.0f}, 20, 10, 5), colour);
  DrawText(canvas, x + 19, y + 9, 2, player, kWhite, 1);
  DrawText(canvas, x + 60, y + 9, 2, "CONTROLS", Hex(0xdfe4f2), 1);
  for (size_t i = 0; i < controls.size(); ++i) {
    int kx = x + 12 + static_cast<int>(i / 3) * 150;
    const int ky = y + 32 + static_cast<int>(i % 3) * 23;
    for (const std::string& key : controls[i].keys) kx += DrawKey(canvas, kx, ky, key) + 3;
    DrawText(canvas, kx + 5, ky + 2, 2, controls[i].action, kWhite, 1);
  }
}

// The frame behind the numbers the game prints: levels at x 251, hit points at 305 and energy
// at 370, player 1 on the row at y 60 and player 2 on the row at y 95.
void DrawScoreboard(Canvas& canvas) {
  DrawPanel(canvas, 200, 34, 432, 124, Hex(0xffffff, 0.35f));
  const Rgba heading = Hex(0xffe08a);
  DrawText(canvas, 251, 40, 1, "LEVEL", heading, 1);
  DrawText(canvas, 305, 40, 1, "HP", heading, 1);
  DrawText(canvas, 370, 40, 1, "ENERGY", heading, 1);
  DrawText(canvas, 212, 63, 2, "1P", kPlayer1, 1);
  DrawText(canvas, 212, 98, 2, "2P", kPlayer2, 1);
  FillRect(canvas, 208, 87, 424, 88, Hex(0xffffff, 0.2f));
}

}  // namespace

Canvas BackPicture() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  DrawScenery(canvas, 10);
  DrawField(canvas);
  DrawScoreboard(canvas);
  return canvas;
}

Canvas LabelPicture(int player) {
  Canvas canvas(60, 72);
  const Rgba colour = player == 1 ? kPlayer1 : kPlayer2;
  Painter p(canvas, {0, 0}, 1);
  const Shape tag = Union(RoundBox({30, 50}, 17, 10, 6), Polygon({{24, 58}, {36, 58}, {30, 66}}));
  p.Outlined(tag, colour, kWhite, 1.5f);
  p.Fill(Subtract(Grow(tag, 2.5f), Grow(tag, 1.5f)), kInk);
  DrawText(canvas, 30 - TextWidth(player == 1 ? "1P" : "2P", 2) / 2, 43, 2,
           player == 1 ? "1P" : "2P", kWhite, 0);
  return canvas;
}

Canvas TitlePicture() {
  Canvas canvas(kScreenWidth, kScreenHeight);
  DrawScenery(canvas, 40);

  // Title and subtitle.
  const std::string title = "KUMO BATTLE";
  const int titleScale = 8, titleTop = 20;
  DrawText(
      canvas, (kScreenWidth - TextWidth(title, titleScale)) / 2, titleTop, titleScale, title,
      [&](float, float y) {
        const float t = (y - titleTop) / (7 * titleScale);
        return t < 0.45f ? Mix(Hex(0xfff6b0), Hex(0xffd040), t / 0.45f)
                         : Mix(Hex(0xffb020), Hex(0xf06a18), (t - 0.45f) / 0.55f);
      },
      3.5f, 8);
  DrawCentredText(canvas, 90, 2, "~ DUEL ABOVE THE CLOUDS ~", kWhite, 1.5f);

  // The two fighters on a ledge, facing each other, with their tags over them.
  const int feet = 290;
  const FieldLine stage{72, feet - 3, 568, feet - 3, FieldPart::kLedge};
  Painter ledge(canvas, {0, 0}, 1);
  DrawLedge(ledge, stage, 7);
  Painter left(canvas, {150, float(feet)}, 3);
  DrawFighter(left, Player1Colours(), 5);
  Painter right(canvas, {490, float(feet)}, 3, true);
  DrawFighter(right, Player2Colours(), 4);
  canvas.Draw(LabelPicture(1), 150 - 30, feet - 232);
  canvas.Draw(LabelPicture(2), 490 - 30, feet - 232);
  DrawCentredText(canvas, 190, 5, "VS", Hex(0xfff0c0), 2.5f, 5);

  DrawCentredText(canvas, 314, 4, "PRESS SPACE", Hex(0xfff27a), 2.5f, 4);
  DrawCentredText(canvas, 349, 2, "ESC: QUIT", Hex(0xdfe4f2), 1);

  DrawControls(
      canvas, 20, 370, "1P", kPlayer1,
      {{{"A", "D"}, "WALK"}, {{"W"}, "JUMP"}, {{"S"}, "GUARD"}, {{"1"}, "FIRE"}, {{"2"}, "SWORD"}});
  DrawControls(canvas, 328, 370, "2P", kPlayer2,
               {{{std::string(1, kArrowLeft), std::string(1, kArrowRight)}, "WALK"},
                {{std::string(1, kArrowUp)}, "JUMP"},
                {{std::string(1, kArrowDown)}, "GUARD"},
                {{","}, "FIRE"},
                {{"."}, "SWORD"}});
  return canvas;
}

Canvas BoltPicture() {
  Canvas canvas(48, 20);
  Painter p(canvas, {0, 0}, 1);
  // A comet of light: a tapering tail behind a white-hot head.
  p.Fill(Capsule({4, 10}, {36, 10}, 1.5f, 7.5f), Hex(0xff8a1c));
  p.Fill(Capsule({12, 10}, {37, 10}, 1.0f, 5.5f), Hex(0xffc93c));
  p.Fill(Capsule({22, 10}, {38, 10}, 0.8f, 3.8f), Hex(0xfff3b0));
  p.Fill(Circle({39, 10}, 3.0f), Hex(0xffffff));
  p.Fill(Capsule({8, 5}, {18, 6.5f}, 0.6f, 1.1f), Hex(0xffc93c));
  p.Fill(Capsule({8, 15}, {18, 13.5f}, 0.6f, 1.1f), Hex(0xffc93c));
  return canvas;
}

Canvas ShotPicture() {
  Canvas canvas(16, 16);
  Painter p(canvas, {0, 0}, 1);
  p.Fill(Circle({8, 8}, 7), Hex(0xff8a1c));
  p.Fill(Circle({8, 8}, 5), Hex(0xffc93c));
  p.Fill(Circle({7, 7}, 2.5f), Hex(0xffffff));
  return canvas;
}

Canvas HitPicture() {
  Canvas canvas(32, 32);
  Painter p(canvas, {0, 0}, 1);
  std::vector<Vec> star;
  for (int i = 0; i < 16; ++i) star.push_back(Vec{16, 16} + Polar(i * 22.5f, i % 2 ? 6.0f : 15.0f));
  p.Fill(Polygon(star), Hex(0xff6a2a));
  std::vector<Vec> inner;
  for (int i = 0; i < 16; ++i)
    inner.push_back(Vec{16, 16} + Polar(i * 22.5f, i % 2 ? 4.0f : 10.0f));
  p.Fill(Polygon(inner), Hex(0xffe060));
  p.Fill(Circle({16, 16}, 3.5f), Hex(0xffffff));
  return canvas;
}

Canvas ClashPicture() {
  Canvas canvas(192, 106);
  // Three moments of a clash: the first spark, the burst, the sparks flying apart.
  const float bursts[3] = {12, 24, 16};
  for (int cell = 0; cell < 3; ++cell) {
    Painter p(canvas, {cell * 64 + 32.0f, 53}, 1);
    const float r = bursts[cell];
    if (cell < 2) {
      std::vector<Vec> star;
      for (int i = 0; i < 16; ++i) {
        const float len = i % 2 ? r * 0.35f : r * (i % 4 ? 0.8f : 1.0f);
        star.push_back(Polar(i * 22.5f - 90, i % 8 == 0 ? len * 1.8f : len));
      }
      p.Fill(Polygon(star), Hex(0x8fd0ff));
      p.Fill(Grow(Polygon(star), -3), Hex(0xffffff));
    }
    // Sparks: short streaks thrown outwards, further in later moments.
    for (int i = 0; i < 10; ++i) {
      const float angle = i * 36.0f + 13 * Hash(i, cell, 9);
      const float from = r * (cell == 2 ? 1.0f : 0.7f), to = from + 6 + 6 * Hash(i, cell, 4);
      p.Fill(Capsule(Polar(angle, from), Polar(angle, to), 1.2f, 0.6f),
             cell == 2 ? Hex(0xffc93c) : Hex(0xfff3b0));
    }
  }
  return canvas;
}

Canvas SparePicture() {
  Canvas canvas(32, 32);
  Painter p(canvas, {0, 0}, 1);
  const Shape body = Union(Union(Circle({10, 18}, 7), Circle({17, 13}, 9)),
                           Union(Circle({24, 18}, 6.5f), RoundBox({16, 21}, 12, 5, 4)));
  p.Outlined(body, Hex(0xf4f6ff), Hex(0x4a5080), 1.2f);
  p.Fill(Intersect(body, RoundBox({16, 25}, 14, 3, 1)), Hex(0xc8cce8));
  p.Fill(Ellipse({13, 17}, 1.5f, 2.2f), Hex(0x28203a));
  p.Fill(Ellipse({20, 17}, 1.5f, 2.2f), Hex(0x28203a));
  p.Fill(Capsule({15, 22}, {18, 22}, 0.8f), Hex(0x28203a));
  return canvas;
}

}  // namespace media
