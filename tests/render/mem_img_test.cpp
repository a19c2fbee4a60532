#include "kumo/render/mem_img.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "kumo/image/color_format.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {
namespace {

TEST(MemImg, PitchesAreMultiplesOfSixteenWithAShiftForPowersOfTwo) {
  struct Case {
    int width, kind, usesPalette, hasAlpha;
    int pitch, pitchShift, bytes;
  };
  const Case cases[] = {
      {1, kKindColor32, 0, 0, 16, -1, 4},     {4, kKindColor32, 0, 0, 16, 4, 4},
      {500, kKindColor16, 0, 0, 1008, -1, 2}, {512, kKindColor16, 0, 0, 1024, 10, 2},
      {3, kKindColor16, 0, 1, 16, 4, 4},   // R5G6B5 with alpha takes 4 bytes
      {3, kKindColor32, 1, 1, 16, -1, 1},  // a palette image has no alpha
      {16, kKindChannel8, 1, 1, 16, 4, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    MEMIMG image{};
    ASSERT_EQ(CreateMemImg(&image, c.width, 2, -1, 0, c.kind, c.usesPalette, c.hasAlpha), 0);
    EXPECT_EQ(image.pitch, c.pitch);
    EXPECT_EQ(image.pitchShift, c.pitchShift);
    EXPECT_EQ(MemImgBytesPerPixel(image), c.bytes);
    EXPECT_EQ(image.palette, image.paletteStorage[0]);
    EXPECT_EQ(image.palette2, image.palette + 1024);
    ReleaseMemImg(&image);
  }
}

TEST(MemImg, LifecycleRefusesDoubleCreationAndIgnoresDoubleRelease) {
  const int live = TrackedMemory().count;
  MEMIMG image{};
  ASSERT_EQ(CreateMemImg(&image, 8, 8, -1, 0, kKindColor16, 0, 0), 0);
  EXPECT_EQ(image.magic, kMemImgMagic);
  EXPECT_EQ(CreateMemImg(&image, 8, 8, -1, 0, kKindColor16, 0, 0), -1);
  ReleaseMemImg(&image);
  EXPECT_EQ(image.magic, 0u);
  ReleaseMemImg(&image);
  EXPECT_EQ(TrackedMemory().count, live);

  // Pixels already in the record are adopted, not owned.
  uint16_t outside[4 * 8] = {};
  MEMIMG adopted{};
  adopted.pixels = outside;
  ASSERT_EQ(CreateMemImg(&adopted, 4, 4, 16, 0, kKindColor16, 0, 0), 0);
  EXPECT_EQ(adopted.notOwned, 1);
  ReleaseMemImg(&adopted);
  EXPECT_EQ(TrackedMemory().count, live);
}

TEST(MemImg, AViewIsAWindowOntoItsParent) {
  MEMIMG parent{};
  ASSERT_EQ(CreateMemImg(&parent, 64, 64, -1, 0, kKindColor32, 0, 0), 0);
  FillMemImg(&parent, nullptr, 0);
  auto at = [&parent](int x, int y) {
    return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(parent.pixels) + y * parent.pitch) + x;
  };
  *at(10, 20) = 0x123456;
  MEMIMG view{};
  MakeMemImgView(&view, parent, 10, 20, 5, 5);
  EXPECT_EQ(*static_cast<uint32_t*>(view.pixels), 0x123456u);
  const Rect corner = {4, 4, 9, 9};  // clipped to the view
  FillMemImg(&view, &corner, 0xABCDEF);
  EXPECT_EQ(*at(14, 24), 0xABCDEFu);
  EXPECT_EQ(*at(15, 24), 0u);
  EXPECT_EQ(*at(14, 25), 0u);
  ReleaseMemImg(&parent);
}

TEST(MemImg, SharedFormats) {
  const ColorFormat* r565 = GetMemImgFormat(kKindColor16, 0, 0);
  EXPECT_EQ(r565, GetMemImgFormat(kKindColor16, 0, 0));  // built once
  EXPECT_EQ(r565->bitsPerPixel, 16);
  EXPECT_EQ(GetMemImgFormat(kKindColor16, 1, 0)->alphaMask, 0xFF0000u);
  EXPECT_EQ(GetMemImgFormat(kKindColor32, 1, 1)->bitsPerPixel, 8);
  const ColorFormat* channel = GetMemImgFormat(kKindChannel8, 0, 0);
  EXPECT_EQ(channel->alphaWidth, 8);
  EXPECT_EQ(channel->redMask, 0xFFu);
  EXPECT_EQ(GetMemImgFormat(kKindDepth16, 0, 0)->greenWidth, 16);
  EXPECT_EQ(GetMemImgDDFormat(kKindColor32, 0, 0)->dwRBitMask, 0xFF0000u);
}

TEST(MemImg, LoadingAPaletteImageCountsItsEntriesAndBuildsBothPalettes) {
  GraphImage decoded{};
  SetIndexed8(&decoded.format);
  std::memset(decoded.format.palette, 0, sizeof decoded.format.palette);
  decoded.format.palette[5][2] = 255;  // red
  uint8_t pixels[4] = {0, 5, 3, 1};
  decoded.width = 4;
  decoded.height = 1;
  decoded.pitch = 4;
  decoded.pixels = pixels;
  for (const int kind : {kKindColor32, kKindColor16}) {
    MEMIMG image{};
    ASSERT_EQ(CreateMemImg(&image, 4, 1, -1, 0, kind, 1, 0), 0);
    ASSERT_EQ(LoadMemImg(decoded, nullptr, &image, 0, 0, 4, 1, 0, 0, 0), 0);
    EXPECT_EQ(image.paletteCount, 6);
    EXPECT_EQ(static_cast<uint8_t*>(image.pixels)[1], 5);
    if (kind == kKindColor32) {
      EXPECT_EQ(reinterpret_cast<uint32_t*>(image.palette)[5], 0xFF0000u);
    } else {
      EXPECT_EQ(reinterpret_cast<uint16_t*>(image.palette)[5], 0xF800u);
    }
    EXPECT_EQ(std::memcmp(image.palette, image.palette2, 512), 0);
    ReleaseMemImg(&image);
  }
}

TEST(ClipRect, ClampsIntoTheClip) {
  struct Case {
    Rect rect, clipped;
  };
  const Rect screen = {0, 0, 640, 480};
  const Case cases[] = {{{-10, -10, 50, 50}, {0, 0, 50, 50}},
                        {{700, 10, 800, 20}, {640, 10, 640, 20}},
                        {{30, 40, 10, 20}, {30, 40, 30, 40}},  // inverted: empty at its corner
                        {{0, 0, 640, 480}, {0, 0, 640, 480}}};
  for (const Case& c : cases) {
    Rect rect = c.rect;
    EXPECT_EQ(ClipRect(&rect, &screen), 0);
    EXPECT_EQ(
        (std::array<int, 4>{rect.left, rect.top, rect.right, rect.bottom}),
        (std::array<int, 4>{c.clipped.left, c.clipped.top, c.clipped.right, c.clipped.bottom}));
  }
}

}  // namespace
}  // namespace kumo
