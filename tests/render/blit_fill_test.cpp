#include <gtest/gtest.h>

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

using FillMemImgBlendTest = DrawStateTest;

TEST_F(FillMemImgBlendTest, EveryBlendMatchesTheModelInsideTheClippedRectangle) {
  std::mt19937 rng(11);
  const auto pick = [&](int lo, int hi) { return Pick(&rng, lo, hi); };
  for (int kind : {kKindColor16, kKindColor32})
    for (int mode = 0; mode <= 4; ++mode)
      for (int p : {0, 128, 255, 77})
        for (uint32_t bright : {0xFFFFFFu, 0x80C040u, 0xFFFFFEu})
          for (int geometry = 0; geometry < 3; ++geometry) {
            // Rectangles partly off the destination or reversed, draw areas anywhere.
            const Rect rect = {pick(-3, 9), pick(-3, 7), pick(-3, 12), pick(-3, 10)};
            const Rect area = RandomArea(9, 7, &rng);
            const uint32_t colour = rng();
            SCOPED_TRACE(testing::Message()
                         << "kind " << kind << " mode " << mode << " p " << p << " bright "
                         << std::hex << bright << " colour " << colour << std::dec << " rect "
                         << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom
                         << " area " << area.left << "," << area.top << "," << area.right << ","
                         << area.bottom);
            Image dest(9, 7, kind, 0, 0), before(9, 7, kind, 0, 0);
            FillRandom(&dest, &rng);
            std::memcpy(before.m.pixels, dest.m.pixels, static_cast<size_t>(dest.m.pitch) * 7);
            SetDrawState(mode, p, bright, area);
            FillMemImgBlend(&dest.m, rect, colour);

            Model model{kind, mode, p, bright, false};
            model.plainBlit = false;
            model.fieldBrightShift = true;
            const uint32_t colourMask = kind == kKindColor32 ? 0xFFFFFFu : 0xFFFFu;
            for (int y = 0; y < 7; ++y)
              for (int x = 0; x < 9; ++x) {
                const bool inside = x >= rect.left && x < rect.right && y >= rect.top &&
                                    y < rect.bottom && x >= area.left && x < area.right &&
                                    y >= area.top && y < area.bottom;
                const uint32_t d = before.Get(x, y);
                SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
                if (inside && ModelDraws(model)) {
                  ExpectPixelNear(model, dest.Get(x, y),
                                  model.Pixel(colour & colourMask, d & colourMask, 0, -1));
                } else {
                  ASSERT_EQ(dest.Get(x, y), d);
                }
                if (HasFailure()) return;
              }
          }
}

// One pixel of colour c filled over d.
uint32_t Fill1(int kind, int mode, int p, uint32_t bright, uint32_t c, uint32_t d) {
  Image dest(1, 1, kind, 0, 0);
  dest.Set(0, 0, d);
  gDrawState.blendMode = mode;
  gDrawState.blendParam = p;
  gDrawState.brightness = bright;
  FillMemImgBlend(&dest.m, {0, 0, 1, 1}, c);
  return dest.Get(0, 0) & (kind == kKindColor32 ? 0xFFFFFFu : 0xFFFFu);
}

TEST_F(FillMemImgBlendTest, NamedResults) {
  SetDrawState(0, 0, 0xFFFFFF);
  struct Case {
    const char* what;
    int kind, mode, p;
    uint32_t bright, c, d, expected;
  };
  const Case cases[] = {
      {"a copy", kKindColor32, 0, 0, 0xFFFFFF, 0x0A0B0C, 0xFFFFFF, 0x0A0B0C},
      {"32-bit brightness by the scale table", kKindColor32, 0, 0, 0x80FF00, 0xFFC8FF, 0, 0x80C800},
      {"no halving: 255 and 255 stay 255", kKindColor32, 1, 128, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
       0xFFFFFF},
      {"alpha rounds toward minus infinity", kKindColor32, 1, 128, 0xFFFFFF, 0x010203, 0x030201,
       0x020202},
      {"16-bit fields times the brightness byte over 256", kKindColor16, 0, 0, 0xFFFFFE, 0xFFFF, 0,
       0xF7DE},
      {"16-bit white leaves the colour", kKindColor16, 0, 0, 0xFFFFFF, 0xFFFF, 0, 0xFFFF},
      {"16-bit alpha by the signed table", kKindColor16, 1, 128, 0xFFFFFF, 0x0000, 0xFFFF, 0x8410},
      {"add saturates", kKindColor32, 2, 255, 0xFFFFFF, 0xC8C8C8, 0x646464, 0xFFFFFF},
      {"subtract saturates", kKindColor32, 3, 128, 0xFFFFFF, 0xC8C8C8, 0x646464, 0x000000},
      {"multiply ignores the parameter", kKindColor32, 4, 0, 0xFFFFFF, 0x808080, 0xFF4020,
       0x7F2010},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Fill1(c.kind, c.mode, c.p, c.bright, c.c, c.d), c.expected);
  }
}

TEST_F(FillMemImgBlendTest, RefusedRequestsTouchNoPixel) {
  std::mt19937 rng(5);
  Image dest(8, 8, kKindColor32, 0, 0), alphaDest(8, 8, kKindColor32, 0, 1);
  Image paletteDest(8, 8, kKindColor16, 1, 0), channelDest(8, 8, kKindChannel8, 0, 0);
  struct Case {
    const char* what;
    int mode, p;
    Rect rect, area;
    Image* dest;
  };
  const Rect all = {0, 0, 640, 480}, whole = {0, 0, 8, 8};
  const Case cases[] = {
      {"destination with alpha", 0, 0, whole, all, &alphaDest},
      {"destination with a palette", 0, 0, whole, all, &paletteDest},
      {"single-channel destination", 0, 0, whole, all, &channelDest},
      {"unknown blend mode", 5, 255, whole, all, &dest},
      {"alpha with parameter 0", 1, 0, whole, all, &dest},
      {"add with parameter 0", 2, 0, whole, all, &dest},
      {"subtract with parameter 0", 3, 0, whole, all, &dest},
      {"empty draw area", 0, 0, whole, {2, 2, 2, 6}, &dest},
      {"outside the draw area", 0, 0, {0, 0, 4, 4}, {4, 4, 8, 8}, &dest},
      {"off the destination", 0, 0, {8, 0, 12, 8}, all, &dest},
      {"reversed rectangle", 0, 0, {6, 6, 2, 2}, all, &dest},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FillRandom(c.dest, &rng);
    const std::vector<uint8_t> before = Pixels(*c.dest);
    SetDrawState(c.mode, c.p, 0x808080, c.area);
    FillMemImgBlend(&c.dest->m, c.rect, 0x123456);
    EXPECT_EQ(Pixels(*c.dest), before);
  }
}

}  // namespace
}  // namespace kumo
