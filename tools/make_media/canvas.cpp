#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace media {

namespace {

constexpr float kPi = 3.14159265358979f;

float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

uint8_t To8(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

float Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }

Vec Min(Vec a, Vec b) { return {std::min(a.x, b.x), std::min(a.y, b.y)}; }
Vec Max(Vec a, Vec b) { return {std::max(a.x, b.x), std::max(a.y, b.y)}; }

}  // namespace

float Length(Vec v) { return std::sqrt(v.x * v.x + v.y * v.y); }

Vec Lerp(Vec a, Vec b, float t) { return a + (b - a) * t; }

Vec Polar(float degrees, float length) {
  const float r = degrees * kPi / 180.0f;
  return {std::cos(r) * length, std::sin(r) * length};
}

Rgba Hex(uint32_t rgb, float alpha) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f,
          alpha};
}

Rgba Mix(Rgba a, Rgba b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}

Rgba Shade(Rgba c, float k) { return {Clamp01(c.r * k), Clamp01(c.g * k), Clamp01(c.b * k), c.a}; }

Rgba WithAlpha(Rgba c, float alpha) { return {c.r, c.g, c.b, alpha}; }

Canvas::Canvas(int width, int height, Rgba fill)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width) * height,
              Rgba{fill.r * fill.a, fill.g * fill.a, fill.b * fill.a, fill.a}) {}

void Canvas::Blend(int x, int y, Rgba c, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const float a = Clamp01(c.a * coverage);
  if (a <= 0.0f) return;
  Rgba& p = pixels_[static_cast<size_t>(y) * width_ + x];
  p.r = c.r * a + p.r * (1 - a);
  p.g = c.g * a + p.g * (1 - a);
  p.b = c.b * a + p.b * (1 - a);
  p.a = a + p.a * (1 - a);
}

Rgba Canvas::At(int x, int y) const {
  const Rgba& p = pixels_[static_cast<size_t>(y) * width_ + x];
  if (p.a <= 0.0f) return kClear;
  return {p.r / p.a, p.g / p.a, p.b / p.a, p.a};
}

void Canvas::Draw(const Canvas& layer, int dx, int dy) {
  for (int y = 0; y < layer.height(); ++y) {
    for (int x = 0; x < layer.width(); ++x) Blend(x + dx, y + dy, layer.At(x, y));
  }
}

std::vector<uint8_t> Canvas::Rgba8() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(pixels_.size() * 4);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      Rgba c = At(x, y);
      const uint8_t alpha = To8(c.a);
      // Fully transparent pixels carry no colour, which keeps the files small and exact.
      if (alpha == 0) c = kClear;
      bytes.insert(bytes.end(), {To8(c.r), To8(c.g), To8(c.b), alpha});
    }
  }
  return bytes;
}

std::vector<uint8_t> Canvas::Rgb8() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(pixels_.size() * 3);
  for (const Rgba& p : pixels_) bytes.insert(bytes.end(), {To8(p.r), To8(p.g), To8(p.b)});
  return bytes;
}

void FillRect(Canvas& canvas, int x0, int y0, int x1, int y1,
              const std::function<Rgba(float, float)>& colour) {
  for (int y = std::max(0, y0); y < std::min(canvas.height(), y1); ++y) {
    for (int x = std::max(0, x0); x < std::min(canvas.width(), x1); ++x) {
      canvas.Blend(x, y, colour(x + 0.5f, y + 0.5f));
    }
  }
}

void FillRect(Canvas& canvas, int x0, int y0, int x1, int y1, Rgba colour) {
  FillRect(canvas, x0, y0, x1, y1, [&](float, float) { return colour; });
}

Shape Circle(Vec centre, float radius) {
  return {[=](Vec p) { return Length(p - centre) - radius; },
          {centre.x - radius, centre.y - radius},
          {centre.x + radius, centre.y + radius}};
}

Shape Ellipse(Vec centre, float rx, float ry) {
  // Scaled-circle distance: exact on the axes, close enough elsewhere for small shapes.
  return {[=](Vec p) {
            const Vec q{(p.x - centre.x) / rx, (p.y - centre.y) / ry};
            return (Length(q) - 1.0f) * std::min(rx, ry);
          },
          {centre.x - rx, centre.y - ry},
          {centre.x + rx, centre.y + ry}};
}

Shape Capsule(Vec a, Vec b, float ra, float rb) {
  const float r = std::max(ra, rb);
  return {[=](Vec p) {
            const Vec ab = b - a;
            const float l2 = Dot(ab, ab);
            const float t = l2 > 0 ? Clamp01(Dot(p - a, ab) / l2) : 0.0f;
            return Length(p - (a + ab * t)) - (ra + (rb - ra) * t);
          },
          Min(a, b) - Vec{r, r}, Max(a, b) + Vec{r, r}};
}

Shape Capsule(Vec a, Vec b, float r) { return Capsule(a, b, r, r); }

Shape Polygon(std::vector<Vec> points) {
  Vec lo = points[0], hi = points[0];
  for (const Vec& p : points) {
    lo = Min(lo, p);
    hi = Max(hi, p);
  }
  return {[points](Vec p) {
            float d = Dot(p - points[0], p - points[0]);
            bool inside = false;
            for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
              const Vec e = points[j] - points[i];
              const Vec w = p - points[i];
              const Vec b = w - e * Clamp01(Dot(w, e) / Dot(e, e));
              d = std::min(d, Dot(b, b));
              const bool c1 = p.y >= points[i].y, c2 = p.y < points[j].y;
              const bool c3 = e.x * w.y > e.y * w.x;
              if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) inside = !inside;
            }
            return (inside ? -1.0f : 1.0f) * std::sqrt(d);
          },
          lo, hi};
}

Shape RoundBox(Vec centre, float hw, float hh, float radius) {
  return {[=](Vec p) {
            const float qx = std::fabs(p.x - centre.x) - hw + radius;
            const float qy = std::fabs(p.y - centre.y) - hh + radius;
            return Length({std::max(qx, 0.0f), std::max(qy, 0.0f)}) +
                   std::min(std::max(qx, qy), 0.0f) - radius;
          },
          {centre.x - hw, centre.y - hh},
          {centre.x + hw, centre.y + hh}};
}

Shape Ring(Vec centre, float r0, float r1, float fromDegrees, float toDegrees) {
  const float mid = (r0 + r1) / 2, half = (r1 - r0) / 2;
  Shape band{[=](Vec p) { return std::fabs(Length(p - centre) - mid) - half; },
             {centre.x - r1, centre.y - r1},
             {centre.x + r1, centre.y + r1}};
  std::vector<Vec> wedge{centre};
  const int steps = 24;
  for (int i = 0; i <= steps; ++i) {
    wedge.push_back(centre +
                    Polar(fromDegrees + (toDegrees - fromDegrees) * i / steps, r1 * 1.2f + 2));
  }
  return Intersect(band, Polygon(wedge));
}

Shape Union(Shape a, Shape b) {
  return {[a, b](Vec p) { return std::min(a.distance(p), b.distance(p)); }, Min(a.min, b.min),
          Max(a.max, b.max)};
}

Shape Intersect(Shape a, Shape b) {
  return {[a, b](Vec p) { return std::max(a.distance(p), b.distance(p)); }, Max(a.min, b.min),
          Min(a.max, b.max)};
}

Shape Subtract(Shape a, Shape b) {
  return {[a, b](Vec p) { return std::max(a.distance(p), -b.distance(p)); }, a.min, a.max};
}

Shape Grow(Shape s, float amount) {
  return {[s, amount](Vec p) { return s.distance(p) - amount; }, s.min - Vec{amount, amount},
          s.max + Vec{amount, amount}};
}

void Painter::Fill(const Shape& shape, const std::function<Rgba(Vec)>& colour) {
  const float sx = mirror_ ? -scale_ : scale_;
  const float ax = origin_.x + shape.min.x * sx, bx = origin_.x + shape.max.x * sx;
  const int x0 = static_cast<int>(std::floor(std::min(ax, bx))) - 1;
  const int x1 = static_cast<int>(std::ceil(std::max(ax, bx))) + 1;
  const int y0 = static_cast<int>(std::floor(origin_.y + shape.min.y * scale_)) - 1;
  const int y1 = static_cast<int>(std::ceil(origin_.y + shape.max.y * scale_)) + 1;
  for (int y = std::max(0, y0); y < std::min(canvas_.height(), y1); ++y) {
    for (int x = std::max(0, x0); x < std::min(canvas_.width(), x1); ++x) {
      const Vec p{(x + 0.5f - origin_.x) / sx, (y + 0.5f - origin_.y) / scale_};
      const float coverage = Clamp01(0.5f - shape.distance(p) * scale_);
      if (coverage > 0) canvas_.Blend(x, y, colour(p), coverage);
    }
  }
}

void Painter::Fill(const Shape& shape, Rgba colour) {
  Fill(shape, [&](Vec) { return colour; });
}

void Painter::Outlined(const Shape& shape, Rgba fill, Rgba outline, float width) {
  Fill(Grow(shape, width), outline);
  Fill(shape, fill);
}

Mask Dilate(const Mask& mask, float radius) {
  Mask out(mask.width, mask.height);
  const int r = static_cast<int>(std::ceil(radius));
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      float best = 0;
      for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
          const float reach = Clamp01(radius + 0.5f - std::sqrt(float(dx * dx + dy * dy)));
          best = std::max(best, mask.At(x + dx, y + dy) * reach);
        }
      }
      out.value[y * mask.width + x] = best;
    }
  }
  return out;
}

void Paint(Canvas& canvas, const Mask& mask, const std::function<Rgba(float, float)>& colour,
           int dx, int dy) {
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      const float m = mask.value[y * mask.width + x];
      if (m > 0) canvas.Blend(x + dx, y + dy, colour(x + 0.5f, y + 0.5f), m);
    }
  }
}

void Paint(Canvas& canvas, const Mask& mask, Rgba colour, int dx, int dy) {
  Paint(
      canvas, mask, [&](float, float) { return colour; }, dx, dy);
}

float Hash(int x, int y, int seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               static_cast<uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / 16777216.0f;
}

float ValueNoise(float x, float y, int seed) {
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  const float fx = x - ix, fy = y - iy;
  const float ux = fx * fx * (3 - 2 * fx), uy = fy * fy * (3 - 2 * fy);
  const float a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed);
  const float c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
  return a + (b - a) * ux + (c - a) * uy + (a - b - c + d) * ux * uy;
}

}  // namespace media
