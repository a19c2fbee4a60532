#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "kumo/image/color_format.h"
#include "tests/image/decoder_fixture.h"

namespace kumo::decoder_test {
namespace {

constexpr uint32_t kFourCcFlag = 0x4;
constexpr uint32_t kPitchFlag = 0x8;

TEST(DdsDecoder, MatchesImageMagickByRgbMasks) {
  struct Case {
    const char* name;
    const char* options;
    int bits;
    uint32_t alphaMask;
  };
  const Case cases[] = {
      {"A8R8G8B8", "", 32, 0xFF000000},
      {"R8G8B8", "-alpha off", 24, 0},
  };
  Magick magick;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = magick.Write(
        std::string(c.options) + " -define dds:compression=none -define dds:mipmaps=0", "DDS");
    ASSERT_GT(file.size(), 128u);
    ASSERT_EQ(Get32(file, 80) & 0x40, 0x40u);  // described by masks
    const Decoded decoded = Decode(file);
    ASSERT_EQ(decoded.result, 0);
    EXPECT_EQ(decoded.decoder, "DDS");
    EXPECT_EQ(decoded.image.format.bitsPerPixel, c.bits);
    EXPECT_EQ(decoded.image.format.alphaMask, c.alphaMask);
    ExpectPixelsMatch(decoded.image, magick.Read(file, "DDS"));
  }
}

TEST(DdsDecoder, FourCcNumbersGiveTheirFormats) {
  struct Case {
    uint32_t fourCc;
    int bits;
    uint32_t masks[4];  // red, green, blue, alpha
    uint32_t pixel;
    std::array<int, 4> color;
  };
  const Case cases[] = {
      {20, 24, {0xFF0000, 0xFF00, 0xFF, 0}, 0x123456, {0x12, 0x34, 0x56, 0}},
      {21, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0x80FF4000, {255, 64, 0, 128}},
      // R5G6B5: pure blue and pure green stay pure.
      {23, 16, {0xF800, 0x07E0, 0x001F}, 0x001F, {0, 0, 255, 0}},
      {23, 16, {0xF800, 0x07E0, 0x001F}, 0x07E0, {0, 255, 0, 0}},
      {25, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}, 0x801F, {0, 0, 255, 255}},
      {27, 8, {0xE0, 0x1C, 0x03, 0}, 0xE3, {255, 0, 255, 0}},
      {32, 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, 0x40302010, {0x10, 0x20, 0x30, 0x40}},
      {35, 32, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}, 0xC00003FF, {0, 0, 255, 255}},
  };
  const uint32_t noMasks[4] = {};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "FourCC " << c.fourCc << " pixel " << c.pixel);
    Bytes data;
    for (int i = 0; i < 3 * 2; ++i) {
      for (int b = 0; b < c.bits / 8; ++b) data.push_back(static_cast<uint8_t>(c.pixel >> (8 * b)));
    }
    const Decoded decoded =
        Decode(DdsFile(3, 2, 0x1007, 0, kFourCcFlag, c.fourCc, 0, noMasks, data));
    ASSERT_EQ(decoded.result, 0);
    const ColorFormat& f = decoded.image.format;
    EXPECT_EQ(f.bitsPerPixel, c.bits);
    EXPECT_EQ((std::array<uint32_t, 4>{f.redMask, f.greenMask, f.blueMask, f.alphaMask}),
              (std::array<uint32_t, 4>{c.masks[0], c.masks[1], c.masks[2], c.masks[3]}));
    EXPECT_EQ(decoded.image.pitch, 3 * c.bits / 8);
    std::array<int, 4> color;
    PixelToColor(f, ReadRawPixel(decoded.image, 2, 1), &color[0], &color[1], &color[2], &color[3]);
    EXPECT_EQ(color, c.color);
  }
}

TEST(DdsDecoder, APitchGivenInTheFileSpacesTheLines) {
  const uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0};
  const Bytes data = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  const Decoded decoded = Decode(DdsFile(2, 2, 0x1007 | kPitchFlag, 8, 0x40, 0, 24, masks, data));
  ASSERT_EQ(decoded.result, 0);
  EXPECT_EQ(decoded.image.pitch, 8);
  EXPECT_EQ(ReadRawPixel(decoded.image, 1, 1), 0x0C0B0Au);
}

TEST(DdsDecoder, RefusesWhatItCannotRead) {
  Magick magick;
  const Bytes dxt1 = magick.Write("-alpha off", "DDS");
  ASSERT_EQ(Get32(dxt1, 84), 0x31545844u);  // "DXT1"
  const uint32_t noMasks[4] = {};
  const Bytes data(64, 0);
  struct Case {
    const char* name;
    Bytes file;
  };
  const Case cases[] = {
      {"S3TC from ImageMagick", dxt1},
      {"DXT5 by hand", DdsFile(4, 4, 0x81007, 16, kFourCcFlag, 0x35545844, 0, noMasks, data)},
      {"a number without a row", DdsFile(2, 2, 0x1007, 0, kFourCcFlag, 28, 0, noMasks, data)},
      {"the FourCC flag with another",
       DdsFile(2, 2, 0x1007, 0, kFourCcFlag | 1, 21, 0, noMasks, data)},
      {"no format flag", DdsFile(2, 2, 0x1007, 0, 0, 21, 0, noMasks, data)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Decode(c.file).result, -1);
  }
}

}  // namespace
}  // namespace kumo::decoder_test
