#include "kumo/render/screen_color.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "kumo/core/bodies.h"
#include "kumo/platform/display_modes.h"
#include "kumo/render/display.h"
#include "kumo/render/display_palette.h"
#include "kumo/render/display_state.h"

namespace kumo {
namespace {

using platform::kPixelIndexed8;
using platform::kPixelRgb;
using platform::PixelFormat;

// The display record as a fresh process has it, before and after each test.
class ScreenColorTest : public ::testing::Test {
 protected:
  void SetUp() override { TheDisplay() = {}; }
  void TearDown() override { TheDisplay() = {}; }
};

struct ClassCase {
  const char* name;
  int software;        // 1: the software screens at `depth`
  int depth;           //
  PixelFormat layout;  // otherwise the display's layout
  int colorClass;      // what the description makes of it
  uint32_t white, red, black;
};

const ClassCase kClasses[] = {
    {"R5G6B5",
     0,
     16,
     {kPixelRgb, 16, 0xF800, 0x07E0, 0x001F, 0, 0},
     kClassR5G6B5,
     0xFFFF,
     0xF800,
     0x0000},
    // The bit outside the channels is always set.
    {"X1R5G5B5",
     0,
     16,
     {kPixelRgb, 16, 0x7C00, 0x03E0, 0x001F, 0, 0},
     kClassX1R5G5B5,
     0xFFFF,
     0xFC00,
     0x8000},
    {"X8R8G8B8",
     0,
     32,
     {kPixelRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0, 0},
     kClassX8R8G8B8,
     0xFFFFFFFF,
     0xFFFF0000,
     0xFF000000},
    {"B5G6R5",
     0,
     16,
     {kPixelRgb, 16, 0x001F, 0x07E0, 0xF800, 0, 0},
     kClassOther,
     0xFFFF,
     0x001F,
     0x0000},
    // Software screens are numbered 1 (16 bits) and 2 (32 bits) but hold the memory images'
    // R5 G6 B5 and X8 R8 G8 B8.
    {"software 16", 1, 16, {}, kClassX1R5G5B5, 0xFFFF, 0xF800, 0x0000},
    {"software 32", 1, 32, {}, kClassX8R8G8B8, 0xFFFFFFFF, 0xFFFF0000, 0xFF000000},
    // A software depth other than 16 or 32 becomes 16.
    {"software 24", 1, 24, {}, kClassX1R5G5B5, 0xFFFF, 0xF800, 0x0000},
};

void Describe(const ClassCase& c) {
  TheDisplay().software = c.software;
  TheDisplay().mode.colorDepth = c.depth;
  if (c.software != 0) {
    DescribeSoftwareFormat();
  } else {
    DescribeDisplayFormat(c.layout);
  }
}

TEST_F(ScreenColorTest, MakeColorGivesEachClassItsRawPixels) {
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.name);
    Describe(c);
    EXPECT_EQ(TheDisplay().colorClass, c.colorClass);
    EXPECT_EQ(static_cast<uint32_t>(MakeColorBody(255, 255, 255)), c.white);
    EXPECT_EQ(static_cast<uint32_t>(MakeColorBody(255, 0, 0)), c.red);
    EXPECT_EQ(static_cast<uint32_t>(MakeColorBody(0, 0, 0)), c.black);
    EXPECT_EQ(GetScreenPixelFormatBody()->dwRGBBitCount,
              c.software != 0 && c.depth == 24 ? 16u : c.depth);
  }
}

// Every colour value MakeColor makes comes back from GetColorRGB as a colour that makes it
// again; the extremes come back exactly.
TEST_F(ScreenColorTest, GetColorRGBInvertsMakeColor) {
  for (const ClassCase& c : kClasses) {
    SCOPED_TRACE(c.name);
    Describe(c);
    for (int red = 0; red < 256; red += 5) {
      for (int green = 0; green < 256; green += 15) {
        for (int blue = 0; blue < 256; blue += 85) {
          const uint32_t value = static_cast<uint32_t>(MakeColorBody(red, green, blue));
          int r = -1, g = -1, b = -1;
          ASSERT_EQ(GetColorRGB(value, &r, &g, &b), 0);
          ASSERT_EQ(static_cast<uint32_t>(MakeColorBody(r, g, b)), value)
              << red << "," << green << "," << blue;
          if (red % 255 == 0 && green % 255 == 0 && blue % 255 == 0) {
            ASSERT_EQ(r, red);
            ASSERT_EQ(g, green);
            ASSERT_EQ(b, blue);
          }
        }
      }
    }
  }
}

TEST_F(ScreenColorTest, AnEightBitScreenTakesTheNearestPaletteEntry) {
  TheDisplay().mode.colorDepth = 8;
  DescribeDisplayFormat({kPixelIndexed8, 8, 0, 0, 0, 0, 0});
  EXPECT_EQ(TheDisplay().colorClass, kClassOther);
  EXPECT_EQ(MakeColorBody(0, 0, 0), 0);
  EXPECT_EQ(MakeColorBody(255, 255, 255), 255);
  const auto& palette = FixedPalette();
  for (int i = 0; i < 256; ++i) {
    const platform::PaletteColor& entry = palette[static_cast<size_t>(i)];
    const int index = MakeColorBody(entry.red, entry.green, entry.blue);
    // An entry's own colour finds it (or an earlier entry of the same colour).
    EXPECT_LE(index, i);
    int r, g, b;
    ASSERT_EQ(GetColorRGB(static_cast<uint32_t>(index), &r, &g, &b), 0);
    EXPECT_EQ(r, entry.red);
    EXPECT_EQ(g, entry.green);
    EXPECT_EQ(b, entry.blue);
  }
  // Between black (0) and the darkest blue, a colour nearer black finds black.
  EXPECT_EQ(MakeColorBody(0, 0, 20), 0);
  int r, g, b;
  EXPECT_EQ(GetColorRGB(256, &r, &g, &b), -1);
}

TEST_F(ScreenColorTest, TheFixedPaletteRisesFromBlackToWhite) {
  const auto& palette = FixedPalette();
  const auto brightness = [](const platform::PaletteColor& c) {
    return 299 * c.red + 587 * c.green + 114 * c.blue;
  };
  EXPECT_EQ(brightness(palette[0]), 0);
  EXPECT_EQ(brightness(palette[255]), 255000);
  for (size_t i = 1; i < palette.size(); ++i) {
    EXPECT_LE(brightness(palette[i - 1]), brightness(palette[i]));
  }
}

}  // namespace
}  // namespace kumo
