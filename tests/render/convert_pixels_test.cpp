#include "kumo/render/convert_pixels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kumo/image/color_format.h"
#include "kumo/render/mem_img.h"

namespace kumo {
namespace {

ColorFormat Build(int bits, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha) {
  ColorFormat format{};
  BuildColorFormat(&format, bits, red, green, blue, alpha);
  return format;
}

const ColorFormat kR5G6B5 = Build(16, 0xF800, 0x07E0, 0x001F, 0);
const ColorFormat kX1R5G5B5 = Build(16, 0x7C00, 0x03E0, 0x001F, 0);
const ColorFormat kA1R5G5B5 = Build(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
const ColorFormat kX8R8G8B8 = Build(32, 0xFF0000, 0xFF00, 0xFF, 0);
const ColorFormat kA8R8G8B8 = Build(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
const ColorFormat kA4R4G4B4 = Build(16, 0x0F00, 0x00F0, 0x000F, 0xF000);
const ColorFormat kBgr24 = [] {
  ColorFormat f{};
  SetBgr24(&f);
  return f;
}();
const ColorFormat kPalette = [] {
  ColorFormat f{};
  SetIndexed8(&f);
  std::memset(f.palette, 0, sizeof f.palette);
  const uint8_t entry[4] = {7, 128, 255, 0};  // blue, green, red
  std::memcpy(f.palette[3], entry, 4);
  return f;
}();

// Converts one pixel (as `bytes` little-endian bytes) and returns the written value.
uint32_t ConvertOne(const ColorFormat& to, const ColorFormat& from, uint32_t pixel,
                    ConvertOptions options = {}, uint32_t destinationBefore = 0) {
  uint8_t source[4], destination[4];
  std::memcpy(source, &pixel, 4);
  std::memcpy(destination, &destinationBefore, 4);
  const int result = ConvertPixels({destination, 4, &to}, {source, 4, &from}, {nullptr, 0, nullptr},
                                   0, 0, {0, 0, 1, 1}, options);
  EXPECT_NE(result, -1);
  uint32_t written = 0;
  std::memcpy(&written, destination, to.bytesPerPixel);
  return written;
}

ConvertOptions Keyed(uint32_t key) {
  ConvertOptions options;
  options.keyToAlpha = 1;
  options.key = key;
  return options;
}

TEST(ConvertPixels, EveryRouteBetweenTheLibrarysFormats) {
  ConvertOptions redOnly;
  redOnly.alphaOnly = 1;
  redOnly.redToAlpha = 1;
  struct Case {
    const char* route;
    const ColorFormat& to;
    const ColorFormat& from;
    uint32_t pixel;
    ConvertOptions options;
    uint32_t expected;
  };
  const Case cases[] = {
      // direct routes, by their fixed bit operations
      {"Bgr24 to R5G6B5", kR5G6B5, kBgr24, 0xFF8007, {}, 0xFC00},
      {"Bgr24 to X1R5G5B5", kX1R5G5B5, kBgr24, 0xFF8007, {}, 0xFE00},
      {"Bgr24 to X8R8G8B8", kX8R8G8B8, kBgr24, 0x123456, {}, 0xFF123456},
      {"Bgr24 to A8R8G8B8", kA8R8G8B8, kBgr24, 0x123456, {}, 0xFF123456},
      {"palette to R5G6B5", kR5G6B5, kPalette, 3, {}, 0xFC00},
      {"palette to X1R5G5B5", kX1R5G5B5, kPalette, 3, {}, 0xFE00},
      {"palette to X8R8G8B8", kX8R8G8B8, kPalette, 3, {}, 0xFFFF8007},
      {"X8R8G8B8 to R5G6B5", kR5G6B5, kX8R8G8B8, 0xFFFF8007, {}, 0xFC00},
      {"R5G6B5 to X8R8G8B8", kX8R8G8B8, kR5G6B5, 0xFFFF, {}, 0x00F8FCF8},
      {"R5G6B5 to Bgr24", kBgr24, kR5G6B5, 0xFFFF, {}, 0xF8FCF8},
      {"R5G6B5 to X1R5G5B5", kX1R5G5B5, kR5G6B5, 0xFFFF, {}, 0x7FFF},
      {"X1R5G5B5 to R5G6B5", kR5G6B5, kX1R5G5B5, 0x7FFF, {}, 0xFFFF},
      {"X1R5G5B5 to R5G6B5, low green bit 0", kR5G6B5, kX1R5G5B5, 0x7C1F, {}, 0xF81F},
      {"palette to A1R5G5B5, key", kA1R5G5B5, kPalette, 3, Keyed(0xFF8007), 0x7E00},
      {"palette to A1R5G5B5, other", kA1R5G5B5, kPalette, 3, Keyed(0x000000), 0xFE00},
      {"palette to A8R8G8B8, key", kA8R8G8B8, kPalette, 3, Keyed(0xFF8007), 0x00FF8007},
      {"Bgr24 to A1R5G5B5, key truncated", kA1R5G5B5, kBgr24, 0xFF8007, Keyed(0xF88000), 0x7E00},
      {"Bgr24 to A8R8G8B8, key", kA8R8G8B8, kBgr24, 0x000000, Keyed(0), 0x00000000},
      {"Bgr24 to A8R8G8B8, other", kA8R8G8B8, kBgr24, 0x000001, Keyed(0), 0xFF000001},
      {"R5G6B5 to A1R5G5B5, key", kA1R5G5B5, kR5G6B5, 0xFFFF, Keyed(0xFFFFFF), 0x7FFF},
      // the general route stretches channels so that full stays full
      {"R5G6B5 to A8R8G8B8", kA8R8G8B8, kR5G6B5, 0xFFFF, {}, 0xFFFFFFFF},
      {"R5G6B5 to A8R8G8B8, half", kA8R8G8B8, kR5G6B5, 0x8410, {}, 0xFF838183},
      {"A8R8G8B8 to A4R4G4B4", kA4R4G4B4, kA8R8G8B8, 0x80FF4010, {}, 0x8F41},
      {"A4R4G4B4 to A8R8G8B8", kA8R8G8B8, kA4R4G4B4, 0x8F41, {}, 0x88FF4411},
      {"A8R8G8B8 to R5G6B5 drops alpha", kR5G6B5, kA8R8G8B8, 0x80FF8007, {}, 0xFC00},
      // keyed copies
      {"same layout, key becomes transparent", kA8R8G8B8, kX8R8G8B8, 0x00FF8007, Keyed(0xFF8007),
       0x00FF8007},
      {"same layout, other colour opaque", kA8R8G8B8, kX8R8G8B8, 0x00FF8008, Keyed(0xFF8007),
       0xFFFF8008},
      {"own alpha keeps its alpha", kA8R8G8B8, kA8R8G8B8, 0x40FF8007, Keyed(0xFF8007), 0x40FF8007},
      {"general route keyed", kA4R4G4B4, kR5G6B5, 0x0000, Keyed(0x000000), 0x0000},
      {"general route keyed, other", kA4R4G4B4, kR5G6B5, 0xFFFF, Keyed(0x000000), 0xFFFF},
      // one channel: the source's red stretched into it
      {"channel of 8 bits", *GetMemImgFormat(kKindChannel8, 0, 0), kBgr24, 0x80FFFF, redOnly, 0x80},
      {"depth of 16 bits", *GetMemImgFormat(kKindDepth16, 0, 0), kBgr24, 0xFF0000, redOnly, 0xFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.route);
    EXPECT_EQ(ConvertOne(c.to, c.from, c.pixel, c.options), c.expected);
  }
}

TEST(ConvertPixels, PaletteIndexesAreCopiedAndTheHighestReturned) {
  uint8_t source[6] = {1, 9, 3, 4, 5, 6};
  uint8_t destination[6] = {};
  EXPECT_EQ(ConvertPixels({destination, 3, &kPalette}, {source, 3, &kPalette},
                          {nullptr, 0, nullptr}, 0, 0, {0, 0, 3, 2}, {}),
            9);
  EXPECT_EQ(std::memcmp(source, destination, 6), 0);
  // An 8-bit destination takes only 8-bit sources.
  EXPECT_EQ(ConvertPixels({destination, 3, &kPalette}, {source, 3, &kR5G6B5}, {nullptr, 0, nullptr},
                          0, 0, {0, 0, 1, 1}, {}),
            -1);
}

TEST(ConvertPixels, AnEmptyRectangleWritesNothing) {
  uint32_t source = 0x12345678, destination = 0;
  EXPECT_EQ(ConvertPixels({&destination, 4, &kX8R8G8B8}, {&source, 4, &kX8R8G8B8},
                          {nullptr, 0, nullptr}, 0, 0, {1, 0, 1, 1}, {}),
            -1);
  EXPECT_EQ(destination, 0u);
}

TEST(ConvertPixels, MirrorPutsTheLeftColumnAtTheRight) {
  for (const ColorFormat* to : {&kX8R8G8B8, &kA8R8G8B8}) {
    const uint32_t source[3] = {0xFF000001, 0xFF000002, 0xFF000003};
    uint32_t destination[3] = {};
    ConvertOptions mirrored;
    mirrored.mirror = 1;
    ConvertPixels({destination, 12, to}, {const_cast<uint32_t*>(source), 12, &kX8R8G8B8},
                  {nullptr, 0, nullptr}, 0, 0, {0, 0, 3, 1}, mirrored);
    EXPECT_EQ(destination[0] & 0xFFFFFF, 3u);
    EXPECT_EQ(destination[2] & 0xFFFFFF, 1u);
  }
}

TEST(ConvertPixels, SkipKeyLeavesThoseDestinationPixels) {
  const uint16_t source[3] = {0x1111, 0xF81F, 0x2222};
  uint16_t destination[3] = {7, 7, 7};
  ConvertOptions skip;
  skip.skipKey = 1;
  skip.key = 0xF81F;
  ConvertPixels({destination, 6, &kR5G6B5}, {const_cast<uint16_t*>(source), 6, &kR5G6B5},
                {nullptr, 0, nullptr}, 0, 0, {0, 0, 3, 1}, skip);
  EXPECT_EQ(destination[0], 0x1111);
  EXPECT_EQ(destination[1], 7);
  EXPECT_EQ(destination[2], 0x2222);
}

// The alpha image gives the alpha of a source without one; a source's own alpha wins over it.
TEST(ConvertPixels, AnAlphaImageGivesTheAlpha) {
  ColorFormat gray{};
  SetGray8(&gray);
  const uint8_t alphaPixels[2] = {0x40, 0xFF};
  const uint8_t colour[6] = {0x10, 0x20, 0x30, 0x10, 0x20, 0x30};
  uint32_t destination[2] = {};
  ConvertPixels({destination, 8, &kA8R8G8B8}, {const_cast<uint8_t*>(colour), 6, &kBgr24},
                {const_cast<uint8_t*>(alphaPixels), 2, &gray}, 0, 0, {0, 0, 2, 1}, Keyed(0));
  EXPECT_EQ(destination[0], 0x40302010u);
  EXPECT_EQ(destination[1], 0xFF302010u);
}

// The 16-bit repacks run eight pixels a step; every line length ends the same as pixel by pixel.
TEST(ConvertPixels, PackedRepacksMatchPixelByPixel) {
  std::vector<uint16_t> source(37);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint16_t>(i * 7919u);
  for (const int width : {1, 7, 8, 9, 16, 37}) {
    SCOPED_TRACE(width);
    std::vector<uint16_t> packed(source.size()), unpacked(source.size());
    ConvertPixels({packed.data(), 74, &kX1R5G5B5}, {source.data(), 74, &kR5G6B5},
                  {nullptr, 0, nullptr}, 0, 0, {0, 0, width, 1}, {});
    ConvertPixels({unpacked.data(), 74, &kR5G6B5}, {packed.data(), 74, &kX1R5G5B5},
                  {nullptr, 0, nullptr}, 0, 0, {0, 0, width, 1}, {});
    for (int i = 0; i < width; ++i) {
      const uint16_t p = source[i];
      EXPECT_EQ(packed[i], ((p & 0xFFC0) >> 1) | (p & 0x1F));
      EXPECT_EQ(unpacked[i], ((packed[i] & 0x7FE0) << 1) | (packed[i] & 0x20) | (packed[i] & 0x1F));
    }
  }
}

}  // namespace
}  // namespace kumo
