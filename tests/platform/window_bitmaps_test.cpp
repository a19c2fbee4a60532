#include "kumo/platform/window_bitmaps.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kumo/platform/headless/headless_display.h"
#include "kumo/platform/headless/script.h"
#include "tests/common/png_file.h"
#include "tests/platform/display_fixture.h"

namespace kumo::platform {
namespace {

struct Bitmap {
  BitmapLayout layout;
  std::vector<uint8_t> pixels;
};

// A bitmap whose pixels all differ, in R5 G6 B5 or X8 R8 G8 B8 with the top byte 0.
Bitmap Pattern(int width, int height, int bitsPerPixel) {
  const bool wide = bitsPerPixel == 32;
  Bitmap bitmap{{width, height, width * bitsPerPixel / 8 + 4, bitsPerPixel,
                 wide ? 0xFF0000u : 0xF800u, wide ? 0xFF00u : 0x07E0u, wide ? 0xFFu : 0x1Fu},
                {}};
  bitmap.pixels.assign(static_cast<size_t>(bitmap.layout.pitch) * height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t value = (static_cast<uint32_t>(y * width + x) * 2654435761u) >> 8;
      for (int i = 0; i < bitsPerPixel / 8; ++i) {
        bitmap.pixels[y * bitmap.layout.pitch + x * bitsPerPixel / 8 + i] =
            i < 3 ? static_cast<uint8_t>(value >> (8 * i)) : 0;
      }
    }
  }
  return bitmap;
}

// The window's picture read back in the bitmap's layout, with its padding cleared like the
// pattern's.
std::vector<uint8_t> ReadBack(Window* window, const BitmapLayout& layout) {
  std::vector<uint8_t> pixels(static_cast<size_t>(layout.pitch) * layout.height, 0);
  EXPECT_TRUE(ReadWindowBitmap(window, layout, pixels.data()));
  return pixels;
}

TEST_F(DisplayTest, ABitmapDrawnIntoTheWindowReadsBackTheSame) {
  for (const int bits : {16, 32}) {
    SCOPED_TRACE(bits);
    const Bitmap bitmap = Pattern(kWidth, kHeight, bits);
    ASSERT_TRUE(DrawBitmap(window_, 0, 0, bitmap.layout, bitmap.pixels.data()));
    EXPECT_EQ(ReadBack(window_, bitmap.layout), bitmap.pixels);
  }
}

TEST_F(DisplayTest, AStretchedBitmapFillsItsRectangleInsideTheWindow) {
  // 2 x 2 pixels doubled onto the window's bottom-right corner, half of it outside.
  const Bitmap small = Pattern(2, 2, 32);
  const Area corner = {kWidth - 2, kHeight - 2, kWidth + 2, kHeight + 2};
  ASSERT_TRUE(StretchBitmap(window_, corner, small.layout, small.pixels.data(), {0, 0, 2, 2}));
  const Bitmap whole = Pattern(kWidth, kHeight, 32);
  const std::vector<uint8_t> seen = ReadBack(window_, whole.layout);
  const auto at = [&](const std::vector<uint8_t>& pixels, int pitch, int x, int y) {
    return pixels[y * pitch + x * 4] | pixels[y * pitch + x * 4 + 1] << 8 |
           pixels[y * pitch + x * 4 + 2] << 16;
  };
  EXPECT_EQ(at(seen, whole.layout.pitch, kWidth - 1, kHeight - 1),
            at(small.pixels, small.layout.pitch, 0, 0));
  EXPECT_EQ(at(seen, whole.layout.pitch, kWidth - 2, kHeight - 2),
            at(small.pixels, small.layout.pitch, 0, 0));

  EXPECT_TRUE(FillWindowRect(window_, {0, 0, kWidth, kHeight}, 0x00FF00));
  EXPECT_EQ(at(ReadBack(window_, whole.layout), whole.layout.pitch, 5, 5), 0x00FF00);
  const BitmapLayout odd = {2, 2, 6, 24, 0xFF0000, 0xFF00, 0xFF};
  EXPECT_FALSE(DrawBitmap(window_, 0, 0, odd, small.pixels.data()));
}

// A window hanging off the desktop's corner shows black where it has no desktop under it.
TEST_F(DisplayTest, WhatLiesOffTheDesktopReadsAsBlack) {
  SetWindowPlace(window_, 1900, 1070, kWidth, kHeight, false);
  const Bitmap bitmap = Pattern(kWidth, kHeight, 16);
  ASSERT_TRUE(DrawBitmap(window_, 0, 0, bitmap.layout, bitmap.pixels.data()));
  const std::vector<uint8_t> seen = ReadBack(window_, bitmap.layout);
  const int pitch = bitmap.layout.pitch;
  EXPECT_EQ(seen[9 * pitch + 19 * 2], bitmap.pixels[9 * pitch + 19 * 2]);
  EXPECT_EQ(seen[9 * pitch + 20 * 2], 0);
  EXPECT_EQ(seen[10 * pitch], 0);
}

// A bitmap over part of the window is no frame; one over all of it is frame 1, whose shot is
// the picture as presented.
TEST_F(DisplayTest, TheScriptsShotWritesThePresentedPicture) {
  const std::string path = ::testing::TempDir() + "display_shot.png";
  std::remove(path.c_str());
  std::string error;
  ASSERT_TRUE(headless::UseScript("1 shot " + path + "\n", &error)) << error;
  const Bitmap bitmap = Pattern(kWidth, kHeight, 32);
  ASSERT_TRUE(DrawBitmap(window_, 1, 0, bitmap.layout, bitmap.pixels.data()));
  EXPECT_EQ(headless::PresentedFrames(), 0);
  ASSERT_TRUE(DrawBitmap(window_, 0, 0, bitmap.layout, bitmap.pixels.data()));
  EXPECT_EQ(headless::PresentedFrames(), 1);

  png_uint_32 width = 0, height = 0;
  const std::vector<uint8_t> rgb = kumo::testing::ReadPngRgb(path, &width, &height);
  ASSERT_EQ(width, static_cast<png_uint_32>(kWidth));
  ASSERT_EQ(height, static_cast<png_uint_32>(kHeight));
  ASSERT_EQ(rgb.size(), static_cast<size_t>(kWidth * kHeight * 3));
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint8_t* in = &bitmap.pixels[y * bitmap.layout.pitch + x * 4];
      const uint8_t* out = &rgb[(y * kWidth + x) * 3];
      ASSERT_EQ(out[0], in[2]) << x << "," << y;
      ASSERT_EQ(out[1], in[1]) << x << "," << y;
      ASSERT_EQ(out[2], in[0]) << x << "," << y;
    }
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace kumo::platform
