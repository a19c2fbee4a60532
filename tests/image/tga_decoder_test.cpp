#include <gtest/gtest.h>

#include <cstring>

#include "tests/image/decoder_fixture.h"

namespace kumo::decoder_test {
namespace {

TEST(TgaDecoder, MatchesImageMagickInEveryLayout) {
  struct Case {
    const char* name;
    const char* options;
    int type, pixelBits, idLength, order;  // order: descriptor bits 4 and 5
    int outBits;
  };
  const Case cases[] = {
      {"24 bits", "-alpha off -type TrueColor", 2, 24, 0, 0x00, 24},
      {"32 bits", "-type TrueColorAlpha", 2, 32, 0, 0x00, 32},
      {"24 bits RLE", "-alpha off -type TrueColor -compress RLE", 10, 24, 0, 0x00, 24},
      {"32 bits RLE", "-type TrueColorAlpha -compress RLE", 10, 32, 0, 0x00, 32},
      {"colour-mapped", "-alpha off -type Palette", 1, 8, 0, 0x00, 24},
      // No footer: the packets run to the very end of the file.
      {"colour-mapped RLE", "-alpha off -type Palette -compress RLE", 9, 8, 0, 0x00, 24},
      {"top-left origin", "-alpha off -type TrueColor -orient TopLeft", 2, 24, 0, 0x20, 24},
      {"10-byte ID field", "-alpha off -type TrueColor -set comment 0123456789", 2, 24, 10, 0x00,
       24},
  };
  Magick magick;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = magick.Write(c.options, "TGA");
    ASSERT_GT(file.size(), 18u);
    ASSERT_EQ(file[2], c.type);
    ASSERT_EQ(file[16], c.pixelBits);
    ASSERT_EQ(file[0], c.idLength);
    ASSERT_EQ(file[17] & 0x30, c.order);
    const Decoded decoded = Decode(file);
    ASSERT_EQ(decoded.result, 0);
    EXPECT_EQ(decoded.decoder, "TGA");
    EXPECT_EQ(decoded.image.format.bitsPerPixel, c.outBits);
    EXPECT_EQ(decoded.image.pitch, kPatternWidth * c.outBits / 8);
    ExpectPixelsMatch(decoded.image, magick.Read(file, "TGA"));
  }
}

TEST(TgaDecoder, SixteenBitsComeOutAsX1R5G5B5) {
  const Bytes pattern = PatternPixels();
  Bytes pixels, indexes, map, runs;
  for (int i = 0; i < kPatternWidth * kPatternHeight; ++i) {
    const uint8_t* p = &pattern[4 * i];
    const uint32_t value = 0x8000 | (p[0] >> 3) << 10 | (p[1] >> 3) << 5 | p[2] >> 3;
    Put16(&pixels, value);
    Put16(&map, value);
    indexes.push_back(static_cast<uint8_t>(i));
    if (i % kPatternWidth == 0) runs.push_back(kPatternWidth - 1);  // one raw packet a line
    Put16(&runs, value);
  }
  TgaHeader header;
  header.width = kPatternWidth;
  header.height = kPatternHeight;
  header.pixelBits = 16;
  TgaHeader mapped = header;
  mapped.type = 1;
  mapped.mapType = 1;
  mapped.mapLength = kPatternWidth * kPatternHeight;
  mapped.mapEntryBits = 16;
  mapped.pixelBits = 8;
  TgaHeader runLength = header;
  runLength.type = 10;
  struct Case {
    const char* name;
    Bytes file;
  };
  const Case cases[] = {
      {"true colour", TgaFile(header, {}, {}, pixels, false)},
      {"colour-mapped", TgaFile(mapped, {}, map, indexes, true)},
      {"RLE", TgaFile(runLength, {}, {}, runs, true)},
  };
  Magick magick;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Decoded decoded = Decode(c.file);
    ASSERT_EQ(decoded.result, 0);
    const ColorFormat& f = decoded.image.format;
    EXPECT_EQ(f.bitsPerPixel, 16);
    EXPECT_EQ(f.redMask, 0x7C00u);
    EXPECT_EQ(f.greenMask, 0x03E0u);
    EXPECT_EQ(f.blueMask, 0x001Fu);
    EXPECT_EQ(f.alphaWidth, 0);
    EXPECT_EQ(f.padMask, 0x8000u);
    EXPECT_EQ(std::memcmp(decoded.image.pixels, pixels.data(), pixels.size()), 0);
    ExpectPixelsMatch(decoded.image, magick.Read(c.file, "TGA"));
  }
}

TEST(TgaDecoder, EveryStoredOrderComesOutTopDownLeftToRight) {
  struct Case {
    int descriptor;
    int order[4];  // which stored pixel shows at top left, top right, bottom left, bottom right
  };
  const Case cases[] = {
      {0x20, {0, 1, 2, 3}},  // top-down, left to right: as stored
      {0x30, {1, 0, 3, 2}},  // top-down, right to left
      {0x00, {2, 3, 0, 1}},  // bottom-up, left to right
      {0x10, {3, 2, 1, 0}},  // bottom-up, right to left
  };
  const Bytes stored = {1, 2, 3, 11, 12, 13, 21, 22, 23, 31, 32, 33};  // p0 p1 p2 p3
  for (const Case& c : cases) {
    SCOPED_TRACE(c.descriptor);
    TgaHeader header;
    header.width = 2;
    header.height = 2;
    header.descriptor = c.descriptor;
    const Decoded decoded = Decode(TgaFile(header, {}, {}, stored, false));
    ASSERT_EQ(decoded.result, 0);
    for (int i = 0; i < 4; ++i) {
      const uint8_t* p = &stored[3 * c.order[i]];
      EXPECT_EQ(ReadRawPixel(decoded.image, i % 2, i / 2), uint32_t{p[0]} | p[1] << 8 | p[2] << 16)
          << "pixel " << i;
    }
  }
}

TEST(TgaDecoder, RunLengthPacketsAreCutAtThePixelCount) {
  const Bytes a = {1, 2, 3}, b = {4, 5, 6};
  auto cat = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  struct Case {
    const char* name;
    Bytes data;
    Bytes pixels;
  };
  const Case cases[] = {
      {"a repeat of 128 for 4 pixels", cat({{0xFF}, a}), cat({a, a, a, a})},
      {"a raw packet of 128 with 4 values in the file", cat({{0x7F}, a, b, a, b}),
       cat({a, b, a, b})},
      {"a second packet cut", cat({{0x82}, a, {0x81}, b}), cat({a, a, a, b})},
      {"trailing bytes after the last pixel", cat({{0x83}, b, {0x85}, a, {1, 2}}),
       cat({b, b, b, b})},
  };
  TgaHeader header;
  header.type = 10;
  header.width = 2;
  header.height = 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Decoded decoded = Decode(TgaFile(header, {}, {}, c.data, false));
    ASSERT_EQ(decoded.result, 0);
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(decoded.image.pixels),
                    static_cast<uint8_t*>(decoded.image.pixels) + 12),
              c.pixels);
  }
}

TEST(TgaDecoder, NeitherTheFooterNorAColourMapIsTakenForPixels) {
  TgaHeader header;
  header.type = 10;
  header.width = 2;
  header.height = 2;
  // Packets for 3 of the 4 pixels, then the footer: its bytes must not complete the picture.
  const Bytes threePixels = {0x82, 9, 8, 7};
  EXPECT_EQ(Decode(TgaFile(header, {}, {}, threePixels, true)).result, -1);
  Bytes fourPixels = threePixels;
  fourPixels.insert(fourPixels.end(), {0x80, 1, 2, 3});
  EXPECT_EQ(Decode(TgaFile(header, {}, {}, fourPixels, true)).result, 0);

  // A true-colour file may carry a colour map; the pixels come after it.
  TgaHeader withMap;
  withMap.width = 1;
  withMap.height = 1;
  withMap.mapType = 1;
  withMap.mapLength = 2;
  withMap.mapEntryBits = 24;
  const Decoded decoded = Decode(TgaFile(withMap, {}, {1, 1, 1, 2, 2, 2}, {7, 8, 9}, false));
  ASSERT_EQ(decoded.result, 0);
  EXPECT_EQ(ReadRawPixel(decoded.image, 0, 0), 0x090807u);
}

}  // namespace
}  // namespace kumo::decoder_test
