#include "kumo/image/color_format.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "kumo/image/graph_image.h"
#include "kumo/kumo.h"

namespace kumo {
namespace {

ColorFormat Build(int bits, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha) {
  ColorFormat format{};
  EXPECT_EQ(BuildColorFormat(&format, bits, red, green, blue, alpha), 0);
  return format;
}

TEST(ColorFormat, BuildMeasuresEveryChannelAndThePad) {
  struct Case {
    const char* name;
    int bits;
    uint32_t red, green, blue, alpha;
    int widths[4];
    int shifts[4];
    uint32_t padMask;
    int padShift, padWidth;
  };
  const Case cases[] = {
      {"R5G6B5", 16, 0xF800, 0x07E0, 0x001F, 0, {5, 6, 5, 0}, {11, 5, 0, 0}, 0, 0, 0},
      {"X1R5G5B5", 16, 0x7C00, 0x03E0, 0x001F, 0, {5, 5, 5, 0}, {10, 5, 0, 0}, 0x8000, 15, 1},
      {"X8R8G8B8", 32, 0xFF0000, 0xFF00, 0xFF, 0, {8, 8, 8, 0}, {16, 8, 0, 0}, 0xFF000000, 24, 8},
      {"A8R8G8B8", 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, {8, 8, 8, 8}, {16, 8, 0, 24}, 0, 0, 0},
      {"A4R4G4B4", 16, 0x0F00, 0x00F0, 0x000F, 0xF000, {4, 4, 4, 4}, {8, 4, 0, 12}, 0, 0, 0},
      {"B8G8R8", 24, 0xFF, 0xFF00, 0xFF0000, 0, {8, 8, 8, 0}, {0, 8, 16, 0}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ColorFormat f = Build(c.bits, c.red, c.green, c.blue, c.alpha);
    EXPECT_EQ(f.bytesPerPixel, c.bits / 8);
    EXPECT_EQ((std::array<int, 4>{f.redWidth, f.greenWidth, f.blueWidth, f.alphaWidth}),
              (std::array<int, 4>{c.widths[0], c.widths[1], c.widths[2], c.widths[3]}));
    EXPECT_EQ((std::array<int, 4>{f.redShift, f.greenShift, f.blueShift, f.alphaShift}),
              (std::array<int, 4>{c.shifts[0], c.shifts[1], c.shifts[2], c.shifts[3]}));
    EXPECT_EQ(f.padMask, c.padMask);
    EXPECT_EQ(f.padShift, c.padShift);
    EXPECT_EQ(f.padWidth, c.padWidth);
  }
}

TEST(ColorFormat, PixelsFromColoursAndBack) {
  const ColorFormat r5g6b5 = Build(16, 0xF800, 0x07E0, 0x001F, 0);
  const ColorFormat x8r8g8b8 = Build(32, 0xFF0000, 0xFF00, 0xFF, 0);
  EXPECT_EQ(ColorToPixel(r5g6b5, 255, 255, 255, 0), 0xFFFFu);
  EXPECT_EQ(ColorToPixel(x8r8g8b8, 1, 2, 3, 0), 0xFF010203u);  // the pad bits are set
  int r, g, b, a;
  PixelToColor(r5g6b5, 0x8410, &r, &g, &b, &a);
  EXPECT_EQ((std::array<int, 4>{r, g, b, a}), (std::array<int, 4>{131, 129, 131, 0}));
  // Every fixed and screen format keeps 0 and 255 through a round trip.
  ColorFormat argb32{}, bgr24{};
  SetArgb32(&argb32);
  SetBgr24(&bgr24);
  for (const ColorFormat* f : {&r5g6b5, &x8r8g8b8, static_cast<const ColorFormat*>(&argb32),
                               static_cast<const ColorFormat*>(&bgr24)}) {
    for (const int v : {0, 255}) {
      PixelToColor(*f, ColorToPixel(*f, v, 255 - v, v, v), &r, &g, &b, &a);
      EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{v, 255 - v, v}));
      EXPECT_EQ(a, f->alphaWidth != 0 ? v : 0);
    }
  }
  PixelToColor(r5g6b5, 0xFFFF, nullptr, &g, nullptr, nullptr);  // outputs may be omitted
  EXPECT_EQ(g, 255);
}

TEST(ColorFormat, ConvertShiftsChannelsWithoutReplicatingBits) {
  const ColorFormat r5g6b5 = Build(16, 0xF800, 0x07E0, 0x001F, 0);
  ColorFormat argb32{};
  SetArgb32(&argb32);
  EXPECT_EQ(ConvertPixel(argb32, r5g6b5, 0xFFFF), 0xFFF8FCF8u);  // alpha forced opaque
  EXPECT_EQ(ConvertPixel(r5g6b5, argb32, 0x80FF8040u), 0xFC08u);
  const ColorFormat x1r5g5b5 = Build(16, 0x7C00, 0x03E0, 0x001F, 0);
  EXPECT_EQ(ConvertPixel(x1r5g5b5, r5g6b5, 0xFFFF), 0xFFFFu);  // the pad bit set
}

TEST(ColorFormat, DDPixelFormatIsRgbOnly) {
  DDPIXELFORMAT format;
  std::memset(&format, 0xAB, sizeof format);
  EXPECT_EQ(BuildDDPixelFormat(&format, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), 0);
  EXPECT_EQ(format.dwSize, 32u);
  EXPECT_EQ(format.dwFlags, DDPF_RGB);
  EXPECT_EQ(format.dwFourCC, 0u);
  EXPECT_EQ(format.dwRGBBitCount, 32u);
  EXPECT_EQ(format.dwRGBAlphaBitMask, 0xFF000000u);
}

TEST(ColorFormat, FixedFormatsAndThePadFix) {
  ColorFormat gray{};
  SetGray8(&gray);
  EXPECT_EQ(gray.bitsPerPixel, 8);
  EXPECT_EQ(gray.padMask, 0xFF000000u);
  EXPECT_EQ(gray.palette[200][0], 200);
  EXPECT_EQ(gray.palette[200][3], 0);
  ColorFormat hand = Build(16, 0x7C00, 0x03E0, 0x001F, 0);
  hand.alphaMask = 0x8000;
  hand.alphaWidth = 1;
  hand.alphaShift = 15;
  FixPadMask(&hand);
  EXPECT_EQ(hand.padMask, 0u);
}

TEST(GraphImage, CreateFillMirrorAndRelease) {
  GraphImage image{};
  ASSERT_EQ(CreateBgr24Image(5, 2, &image), 0);
  EXPECT_EQ(image.pitch, 16);
  FillGraphImage(&image, 10, 20, 30, 0);
  SetGraphImagePixel(&image, 0, 1, 200, 100, 50, 0);
  ASSERT_EQ(MirrorGraphImage(&image), 0);
  int r, g, b, a;
  GetGraphImagePixel(image, 4, 1, &r, &g, &b, &a);
  EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{200, 100, 50}));
  GetGraphImagePixel(image, 0, 1, &r, &g, &b, &a);
  EXPECT_EQ((std::array<int, 3>{r, g, b}), (std::array<int, 3>{10, 20, 30}));
  ReleaseGraphImage(&image);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(MirrorGraphImage(&image), -1);

  EXPECT_EQ(CreateArgb32Image(-1, 4, &image), -1);
  EXPECT_EQ(CreateArgb32Image(1 << 16, 1 << 16, &image), -1);
  EXPECT_EQ(image.pixels, nullptr);
}

}  // namespace
}  // namespace kumo
