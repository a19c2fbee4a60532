// Pictures as floating-point RGBA canvases, and anti-aliased shapes drawn onto them from signed
// distance functions, so that one drawing can be made at any scale or mirrored.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace media {

struct Vec {
  float x, y;
};

inline Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
inline Vec operator*(Vec a, float k) { return {a.x * k, a.y * k}; }
float Length(Vec v);
Vec Lerp(Vec a, Vec b, float t);
// The unit vector at `degrees`, measured from +x towards +y (clockwise on screen).
Vec Polar(float degrees, float length);

// A colour with straight (not premultiplied) alpha, every channel 0 to 1.
struct Rgba {
  float r, g, b, a;
};

Rgba Hex(uint32_t rgb, float alpha = 1.0f);
Rgba Mix(Rgba a, Rgba b, float t);
// The colour with its red, green and blue scaled by `k` (below 1 darker, above 1 lighter).
Rgba Shade(Rgba c, float k);
Rgba WithAlpha(Rgba c, float alpha);

constexpr Rgba kClear{0, 0, 0, 0};

class Canvas {
 public:
  Canvas(int width, int height, Rgba fill = kClear);

  int width() const { return width_; }
  int height() const { return height_; }

  // Source-over blend of `c` covering `coverage` (0 to 1) of the pixel.
  void Blend(int x, int y, Rgba c, float coverage = 1.0f);
  // Straight-alpha colour of a pixel.
  Rgba At(int x, int y) const;
  // Draws `layer` over this canvas with its top-left corner at (dx, dy).
  void Draw(const Canvas& layer, int dx, int dy);

  // 8-bit rows, top first: RGBA, or RGB composited over black.
  std::vector<uint8_t> Rgba8() const;
  std::vector<uint8_t> Rgb8() const;

 private:
  int width_, height_;
  std::vector<Rgba> pixels_;  // premultiplied
};

// Fills the axis-aligned pixel box [x0, x1) x [y0, y1) with colour by pixel centre.
void FillRect(Canvas& canvas, int x0, int y0, int x1, int y1,
              const std::function<Rgba(float x, float y)>& colour);
void FillRect(Canvas& canvas, int x0, int y0, int x1, int y1, Rgba colour);

// A region given by its signed distance (negative inside) and a box that holds it.
struct Shape {
  std::function<float(Vec)> distance;
  Vec min, max;
};

Shape Circle(Vec centre, float radius);
Shape Ellipse(Vec centre, float rx, float ry);
// A segment with round ends whose radius runs from ra at a to rb at b.
Shape Capsule(Vec a, Vec b, float ra, float rb);
Shape Capsule(Vec a, Vec b, float r);
Shape Polygon(std::vector<Vec> points);
// A box centred on `centre`, half sizes hw and hh, corners rounded by `radius`.
Shape RoundBox(Vec centre, float hw, float hh, float radius);
// The band between radii r0 and r1 around `centre`, between two angles in degrees.
Shape Ring(Vec centre, float r0, float r1, float fromDegrees, float toDegrees);
Shape Union(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
// The shape grown by `amount` on every side (shrunk when negative).
Shape Grow(Shape s, float amount);

// Draws shapes given in its own units onto a canvas: canvas = origin + scale * point, with x
// negated first when mirrored.
class Painter {
 public:
  Painter(Canvas& canvas, Vec origin, float scale, bool mirror = false)
      : canvas_(canvas), origin_(origin), scale_(scale), mirror_(mirror) {}

  void Fill(const Shape& shape, Rgba colour);
  void Fill(const Shape& shape, const std::function<Rgba(Vec)>& colour);
  // The shape in `fill` with a rim of `outline` `width` units wide around it.
  void Outlined(const Shape& shape, Rgba fill, Rgba outline, float width = 1.0f);

  Canvas& canvas() { return canvas_; }

 private:
  Canvas& canvas_;
  Vec origin_;
  float scale_;
  bool mirror_;
};

// A coverage mask the size of a canvas, for text and effects built up before they are coloured.
struct Mask {
  int width, height;
  std::vector<float> value;
  Mask(int w, int h) : width(w), height(h), value(static_cast<size_t>(w) * h, 0.0f) {}
  float At(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= height ? 0.0f : value[y * width + x];
  }
};

// The mask grown by a disc of `radius` pixels.
Mask Dilate(const Mask& mask, float radius);
// Blends `colour` through the mask, shifted by (dx, dy).
void Paint(Canvas& canvas, const Mask& mask, const std::function<Rgba(float x, float y)>& colour,
           int dx = 0, int dy = 0);
void Paint(Canvas& canvas, const Mask& mask, Rgba colour, int dx = 0, int dy = 0);

// Deterministic noise: a hash of integer coordinates to [0, 1), and smooth value noise.
float Hash(int x, int y, int seed);
float ValueNoise(float x, float y, int seed);

}  // namespace media
