// The mapped blits: PutMemImgRotated, PutMemImgQuad and the triangle rasteriser under them.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "kumo/render/blits.h"
#include "kumo/render/draw_state.h"
#include "kumo/render/mem_img.h"
#include "tests/render/blit_model.h"

namespace kumo {
namespace {

constexpr float kPi = 3.14159265f;

class MappedBlitTest : public DrawStateTest {
 protected:
  void SetUp() override {
    DrawStateTest::SetUp();
    SetState(0, 0, {0, 0, 640, 480});
  }
  static void SetState(int mode, int p, Rect area) { SetDrawState(mode, p, 0xFFFFFF, area); }
};

void CopyPixels(const Image& from, Image* to) {
  std::memcpy(to->m.pixels, from.m.pixels, static_cast<size_t>(from.m.pitch) * from.m.height);
}

// The quad of an axis-aligned rectangle: the source's own corners at (x, y).
void PutQuadAt(Image* dest, const Image& src, int x, int y, int transparent) {
  const int w = src.m.width, h = src.m.height;
  PutMemImgQuad(&dest->m, src.m, {x, y}, {x + w, y}, {x, y + h}, {x + w, y + h}, transparent,
                nullptr);
}

TEST_F(MappedBlitTest, UnturnedPlacementMatchesPutMemImg) {
  struct Case {
    int w, h, x, y;
    Rect area;
  };
  const Rect all = {0, 0, 640, 480};
  const Case cases[] = {
      {4, 4, 3, 2, all},
      {5, 3, 3, 2, all},
      {1, 1, 0, 0, all},
      {6, 7, 10, 5, all},
      {7, 6, -3, -2, all},              // off the top-left edge
      {5, 3, -4, -1, all},              // centre left of the destination
      {9, 7, 20, 16, all},              // off the bottom-right edge
      {6, 5, 10, 9, {12, 10, 15, 20}},  // clipped by the draw area
      {2, 3000, 5, -100, all},          // taller than any line table kept so far
  };
  std::mt19937 rng(7);
  for (int kind : {kKindColor16, kKindColor32}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "kind " << kind << " size " << c.w << "x" << c.h << " at "
                                      << c.x << "," << c.y);
      const uint32_t key = kind == kKindColor32 ? 0x123456u : 0xBEEFu;
      Image src(c.w, c.h, kind, 0, 0, key), mirrored(c.w, c.h, kind, 0, 0, key);
      MakeSource(&src, kKeySrc, kind, &rng);
      for (int sy = 0; sy < c.h; ++sy)
        for (int sx = 0; sx < c.w; ++sx) mirrored.Set(c.w - 1 - sx, sy, src.Get(sx, sy));
      Image before(24, 20, kind, 0, 0), expected(24, 20, kind, 0, 0), got(24, 20, kind, 0, 0);
      FillRandom(&before, &rng);
      gDrawState.drawArea = c.area;
      const int cx = c.x + c.w / 2, cy = c.y + c.h / 2;

      CopyPixels(before, &expected);
      PutMemImg(&expected.m, src.m, c.x, c.y, 1, nullptr);
      CopyPixels(before, &got);
      PutMemImgRotated(&got.m, src.m, cx, cy, 0, 1, 1, 0, nullptr);
      EXPECT_EQ(Pixels(got), Pixels(expected)) << "rotated";
      CopyPixels(before, &got);
      PutQuadAt(&got, src, c.x, c.y, 1);
      EXPECT_EQ(Pixels(got), Pixels(expected)) << "quad";

      // The mirror flag reverses the columns in place.
      CopyPixels(before, &expected);
      PutMemImg(&expected.m, mirrored.m, c.x, c.y, 1, nullptr);
      CopyPixels(before, &got);
      PutMemImgRotated(&got.m, src.m, cx, cy, 0, 1, 1, 1, nullptr);
      EXPECT_EQ(Pixels(got), Pixels(expected)) << "mirrored";
    }
  }
}

TEST_F(MappedBlitTest, TurnsAboutTheCentreClockwise) {
  // A 4 x 2 source centred at (10, 10): unturned it covers columns 8 to 11 and rows 9 and 10.
  struct Case {
    const char* what;
    float angle;
    int (*destX)(int sx, int sy);
    int (*destY)(int sx, int sy);
  };
  const Case cases[] = {
      {"quarter turn: the top row becomes the right column", kPi / 2,
       [](int, int sy) { return 10 - sy; }, [](int sx, int) { return 8 + sx; }},
      {"half turn", kPi, [](int sx, int) { return 11 - sx; }, [](int, int sy) { return 10 - sy; }},
      {"quarter turn back: the top row becomes the left column", -kPi / 2,
       [](int, int sy) { return 9 + sy; }, [](int sx, int) { return 11 - sx; }},
  };
  Image src(4, 2, kKindColor32, 0, 0);
  for (int sy = 0; sy < 2; ++sy)
    for (int sx = 0; sx < 4; ++sx) src.Set(sx, sy, 0x10u * (1 + sx + 4 * sy));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Image dest(20, 20, kKindColor32, 0, 0), expected(20, 20, kKindColor32, 0, 0);
    FillMemImg(&dest.m, nullptr, 0);
    FillMemImg(&expected.m, nullptr, 0);
    for (int sy = 0; sy < 2; ++sy)
      for (int sx = 0; sx < 4; ++sx)
        expected.Set(c.destX(sx, sy), c.destY(sx, sy), src.Get(sx, sy));
    PutMemImgRotated(&dest.m, src.m, 10, 10, c.angle, 1, 0, 0, nullptr);
    EXPECT_EQ(Pixels(dest), Pixels(expected));
  }
}

TEST_F(MappedBlitTest, ScaleTwoDoublesEveryPixel) {
  // 4 x 3 at scale 2 about (20, 20) covers columns 16 to 23 and rows 17 to 22.
  Image src(4, 3, kKindColor32, 0, 0), dest(40, 40, kKindColor32, 0, 0);
  FillMemImg(&dest.m, nullptr, 0);
  for (int sy = 0; sy < 3; ++sy)
    for (int sx = 0; sx < 4; ++sx) src.Set(sx, sy, 0x100u + sx + 4 * sy);
  PutMemImgRotated(&dest.m, src.m, 20, 20, 0, 2, 0, 0, nullptr);
  for (int py = 0; py < 40; ++py)
    for (int px = 0; px < 40; ++px) {
      const bool inside = px >= 16 && px < 24 && py >= 17 && py < 23;
      ASSERT_EQ(dest.Get(px, py), inside ? src.Get((px - 16) / 2, (py - 17) / 2) : 0u)
          << px << "," << py;
    }
}

TEST_F(MappedBlitTest, BlendingMatchesTheModel) {
  std::mt19937 rng(11);
  // An even size inside the destination, and an odd one cut by the draw area and the edge.
  struct Placement {
    int x, y, w, h;
    Rect area;
  };
  const Placement placements[] = {{2, 1, 6, 4, {0, 0, 640, 480}}, {-1, 2, 5, 3, {1, 1, 8, 6}}};
  ForEveryAxes([&](const BlendAxes& axes) {
    Model model = axes.ToModel();
    model.plainBlit = false;
    for (const Placement& at : placements) {
      SCOPED_TRACE(testing::Message() << axes << " at " << at.x << "," << at.y);
      const auto sourceOf = [&](int dx, int dy, int* sx, int* sy) {
        *sx = dx - at.x;
        *sy = dy - at.y;
        return *sx >= 0 && *sy >= 0 && *sx < at.w && *sy < at.h;
      };
      {
        BlitScene scene(axes, at.w, at.h, 9, 7, at.area, &rng);
        PutMemImgRotated(&scene.dest.m, scene.src.m, at.x + at.w / 2, at.y + at.h / 2, 0, 1,
                         scene.transparent, 0, scene.Graph());
        scene.ExpectMatchesModel(model, sourceOf);
      }
      {
        BlitScene scene(axes, at.w, at.h, 9, 7, at.area, &rng);
        const int r = at.x + at.w, b = at.y + at.h;
        PutMemImgQuad(&scene.dest.m, scene.src.m, {at.x, at.y}, {r, at.y}, {at.x, b}, {r, b},
                      scene.transparent, scene.Graph());
        scene.ExpectMatchesModel(model, sourceOf);
      }
      if (HasFailure()) return false;
    }
    return true;
  });
}

// A covered pixel: its centre (px + 1/2, py + 1/2) strictly inside the convex polygon.
bool CentreInside(const BlitPoint* polygon, int n, int px, int py) {
  bool positive = false, negative = false;
  for (int i = 0; i < n; ++i) {
    const BlitPoint a = polygon[i], b = polygon[(i + 1) % n];
    const int64_t cross =
        int64_t{b.x - a.x} * (2 * py + 1 - 2 * a.y) - int64_t{b.y - a.y} * (2 * px + 1 - 2 * a.x);
    positive |= cross > 0;
    negative |= cross < 0;
  }
  return !(positive && negative);
}

TEST_F(MappedBlitTest, TrianglesCoverEachPixelCentreOnce) {
  // Adding 1 onto 0 shows a pixel written twice as 2.
  SetState(2, 255, {0, 0, 640, 480});
  Image src(8, 8, kKindColor32, 0, 0);
  FillMemImg(&src.m, nullptr, 0x010101);
  struct Case {
    const char* what;
    void (*draw)(MEMIMG* dest, const MEMIMG& src);
    bool (*covered)(int px, int py);
  };
  const Case cases[] = {
      {"right triangle: its hypotenuse is a right-hand edge",
       [](MEMIMG* dest, const MEMIMG& src) {
         const BlitVertex v[3] = {{2, 2, 0, 0}, {10, 2, 8, 0}, {2, 10, 0, 8}};
         PutMemImgTriangle(dest, src, v, 0, nullptr);
       },
       [](int px, int py) { return px >= 2 && py >= 2 && (px - 2) + (py - 2) <= 6; }},
      {"the other half: its hypotenuse is a left-hand edge",
       [](MEMIMG* dest, const MEMIMG& src) {
         const BlitVertex v[3] = {{10, 2, 8, 0}, {10, 10, 8, 8}, {2, 10, 0, 8}};
         PutMemImgTriangle(dest, src, v, 0, nullptr);
       },
       [](int px, int py) { return px < 10 && py < 10 && (px - 2) + (py - 2) >= 7; }},
      {"square quad: the diagonal runs through pixel centres",
       [](MEMIMG* dest, const MEMIMG& src) {
         PutMemImgQuad(dest, src, {2, 2}, {10, 2}, {2, 10}, {10, 10}, 0, nullptr);
       },
       [](int px, int py) { return px >= 2 && px < 10 && py >= 2 && py < 10; }},
      {"slanted quad",
       [](MEMIMG* dest, const MEMIMG& src) {
         PutMemImgQuad(dest, src, {4, 1}, {20, 5}, {2, 17}, {18, 21}, 0, nullptr);
       },
       [](int px, int py) {
         // No centre lies on its outer edges, so strictly inside is exactly what is covered.
         const BlitPoint outline[4] = {{4, 1}, {20, 5}, {18, 21}, {2, 17}};
         return CentreInside(outline, 4, px, py);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Image dest(24, 24, kKindColor32, 0, 0);
    FillMemImg(&dest.m, nullptr, 0);
    c.draw(&dest.m, src.m);
    for (int py = 0; py < 24; ++py)
      for (int px = 0; px < 24; ++px)
        ASSERT_EQ(dest.Get(px, py), c.covered(px, py) ? 0x010101u : 0u) << px << "," << py;
  }
}

TEST_F(MappedBlitTest, DegenerateShapesDrawNothing) {
  Image src(8, 8, kKindColor32, 0, 0), dest(16, 16, kKindColor32, 0, 0);
  FillMemImg(&src.m, nullptr, 0xFFFFFF);
  FillMemImg(&dest.m, nullptr, 0);
  const BlitVertex triangles[][3] = {
      {{1, 1, 0, 0}, {5, 5, 8, 0}, {12, 12, 0, 8}},  // on one line
      {{3, 4, 0, 0}, {3, 4, 8, 0}, {9, 9, 0, 8}},    // two vertices at one point
      {{6, 6, 0, 0}, {6, 6, 8, 0}, {6, 6, 0, 8}},    // a point
      {{1, 7, 0, 0}, {14, 7, 8, 0}, {8, 7, 0, 8}},   // a horizontal line
  };
  for (const auto& t : triangles) PutMemImgTriangle(&dest.m, src.m, t, 0, nullptr);
  PutMemImgQuad(&dest.m, src.m, {5, 5}, {5, 5}, {5, 5}, {5, 5}, 0, nullptr);
  PutMemImgQuad(&dest.m, src.m, {2, 2}, {9, 2}, {2, 2}, {9, 2}, 0, nullptr);  // no height
  const std::vector<uint8_t> zero(Pixels(dest).size(), 0);
  EXPECT_EQ(Pixels(dest), zero);
}

enum Outcome { kDraws, kDrawsNothing, kMayDraw };

// Draws that must not reach outside the draw area (4, 4, 28, 28) of a 32 x 32 destination.
struct BoundedDraw {
  const char* what;
  void (*draw)(MEMIMG* dest, const MEMIMG& src);
  Outcome outcome;
};

void ExpectStaysInside(const BoundedDraw& c, std::mt19937* rng) {
  SCOPED_TRACE(c.what);
  Image src(9, 7, kKindColor32, 0, 0), dest(32, 32, kKindColor32, 0, 0);
  Image before(32, 32, kKindColor32, 0, 0);
  FillMemImg(&src.m, nullptr, 0xABCDEF);
  FillRandom(&before, rng);
  CopyPixels(before, &dest);
  gDrawState.drawArea = {4, 4, 28, 28};
  c.draw(&dest.m, src.m);
  int changed = 0;
  for (int py = 0; py < 32; ++py)
    for (int px = 0; px < 32; ++px) {
      if (dest.Get(px, py) == before.Get(px, py)) continue;
      ++changed;
      ASSERT_TRUE(px >= 4 && px < 28 && py >= 4 && py < 28) << px << "," << py;
    }
  if (c.outcome == kDrawsNothing) {
    EXPECT_EQ(changed, 0);
  } else if (c.outcome == kDraws) {
    EXPECT_GT(changed, 0);
  }
}

TEST_F(MappedBlitTest, LargeShapesStayInsideTheDrawArea) {
  const BoundedDraw cases[] = {
      {"turned and scaled",
       [](MEMIMG* d, const MEMIMG& s) { PutMemImgRotated(d, s, 16, 14, 0.7f, 5, 0, 0, nullptr); },
       kDraws},
      {"turned, scaled and mirrored",
       [](MEMIMG* d, const MEMIMG& s) { PutMemImgRotated(d, s, 16, 14, 0.7f, 5, 0, 1, nullptr); },
       kDraws},
      {"quad over the whole destination",
       [](MEMIMG* d, const MEMIMG& s) {
         PutMemImgQuad(d, s, {-50, -40}, {90, -30}, {-60, 80}, {70, 90}, 0, nullptr);
       },
       kDraws},
      {"triangle reaching past every edge",
       [](MEMIMG* d, const MEMIMG& s) {
         const BlitVertex v[3] = {{-40, -40, 0, 0}, {100, 10, 9, 0}, {10, 100, 0, 7}};
         PutMemImgTriangle(d, s, v, 0, nullptr);
       },
       kDraws},
  };
  std::mt19937 rng(3);
  for (const BoundedDraw& c : cases) ExpectStaysInside(c, &rng);
}

TEST_F(MappedBlitTest, BadInputsDrawNothingOrStayInside) {
  const BoundedDraw cases[] = {
      {"angle not a number",
       [](MEMIMG* d, const MEMIMG& s) {
         PutMemImgRotated(d, s, 16, 16, std::nanf(""), 1, 0, 0, nullptr);
       },
       kDrawsNothing},
      {"infinite angle",
       [](MEMIMG* d, const MEMIMG& s) {
         PutMemImgRotated(d, s, 16, 16, INFINITY, 1, 0, 1, nullptr);
       },
       kDrawsNothing},
      {"scale not a number",
       [](MEMIMG* d, const MEMIMG& s) {
         PutMemImgRotated(d, s, 16, 16, 0, std::nanf(""), 0, 0, nullptr);
       },
       kDrawsNothing},
      {"infinite scale",
       [](MEMIMG* d, const MEMIMG& s) {
         PutMemImgRotated(d, s, 16, 16, 0, INFINITY, 0, 0, nullptr);
       },
       kDrawsNothing},
      {"scale 0",
       [](MEMIMG* d, const MEMIMG& s) { PutMemImgRotated(d, s, 16, 16, 0, 0, 0, 0, nullptr); },
       kDrawsNothing},
      {"negative scale",
       [](MEMIMG* d, const MEMIMG& s) { PutMemImgRotated(d, s, 16, 16, 1, -2, 0, 1, nullptr); },
       kDrawsNothing},
      {"scale too small for the fixed point",
       [](MEMIMG* d, const MEMIMG& s) { PutMemImgRotated(d, s, 16, 16, 1, 1e-30f, 0, 0, nullptr); },
       kDrawsNothing},
      {"scale past the coordinate range, mirrored",
       [](MEMIMG* d, const MEMIMG& s) { PutMemImgRotated(d, s, 16, 16, 1, 1e30f, 0, 1, nullptr); },
       kDrawsNothing},
      {"huge scale fills the draw area",
       [](MEMIMG* d, const MEMIMG& s) { PutMemImgRotated(d, s, 16, 16, 1, 1e30f, 0, 0, nullptr); },
       kDraws},
      {"centre at the largest int",
       [](MEMIMG* d, const MEMIMG& s) {
         PutMemImgRotated(d, s, INT_MAX, INT_MAX, 0.3f, 2, 0, 0, nullptr);
         PutMemImgRotated(d, s, INT_MAX, INT_MAX, 0.3f, 2, 0, 1, nullptr);
       },
       kDrawsNothing},
      {"centre at the smallest int",
       [](MEMIMG* d, const MEMIMG& s) {
         PutMemImgRotated(d, s, INT_MIN, INT_MIN, 0.3f, 2, 0, 0, nullptr);
         PutMemImgRotated(d, s, INT_MIN, INT_MIN, 0.3f, 2, 0, 1, nullptr);
       },
       kDrawsNothing},
      {"quad with corners at the int limits",
       [](MEMIMG* d, const MEMIMG& s) {
         PutMemImgQuad(d, s, {INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MIN, INT_MAX},
                       {INT_MAX, INT_MAX}, 0, nullptr);
       },
       kDrawsNothing},
      {"triangle with a vertex at the int limits",
       [](MEMIMG* d, const MEMIMG& s) {
         const BlitVertex v[3] = {{0, 0, 0, 0}, {INT_MAX, 0, 9, 0}, {0, INT_MAX, 0, 7}};
         PutMemImgTriangle(d, s, v, 0, nullptr);
       },
       kDrawsNothing},
      {"triangle showing source positions far outside the source",
       [](MEMIMG* d, const MEMIMG& s) {
         const BlitVertex v[3] = {{5, 5, -100, -100}, {25, 5, 1000, -100}, {5, 25, -100, 1000}};
         PutMemImgTriangle(d, s, v, 0, nullptr);
       },
       kDraws},
      {"needle half a pixel wide and two million long: steep gradients far from its vertices",
       [](MEMIMG* d, const MEMIMG& s) {
         const int m = 1 << 19;
         const BlitVertex v[3] = {{-m, -m, 0, 0}, {m, m - 1, 2 * m, 0}, {m - 1, m - 2, 0, 2 * m}};
         PutMemImgTriangle(d, s, v, 0, nullptr);
       },
       kMayDraw},
      {"no destination",
       [](MEMIMG*, const MEMIMG& s) {
         PutMemImgRotated(nullptr, s, 16, 16, 0, 1, 0, 0, nullptr);
         PutMemImgRotated(nullptr, s, 16, 16, 0, 1, 0, 1, nullptr);
       },
       kDrawsNothing},
  };
  std::mt19937 rng(9);
  for (const BoundedDraw& c : cases) ExpectStaysInside(c, &rng);
}

}  // namespace
}  // namespace kumo
