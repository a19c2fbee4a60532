#include <gtest/gtest.h>

#include <cstring>

#include "kumo/support/tracked_memory.h"
#include "tests/image/decoder_fixture.h"

namespace kumo::decoder_test {
namespace {

int InfoSize(const Bytes& file) { return static_cast<int>(Get32(file, 14)); }
int BitCount(const Bytes& file) { return file[28] | file[29] << 8; }
uint32_t CompressionOf(const Bytes& file) { return Get32(file, 30); }
uint32_t DataOffset(const Bytes& file) { return Get32(file, 10); }

// The same picture with its stored lines in the other order and the height negated.
Bytes TopDown(const Bytes& file) {
  const int width = static_cast<int>(Get32(file, 18));
  const int height = static_cast<int>(Get32(file, 22));
  const size_t rowSize = (static_cast<size_t>(BitCount(file)) * width + 31) / 32 * 4;
  Bytes out = file;
  const size_t data = DataOffset(file);
  for (int y = 0; y < height; ++y) {
    std::memcpy(&out[data + y * rowSize], &file[data + (height - 1 - y) * rowSize], rowSize);
  }
  Set32(&out, 22, static_cast<uint32_t>(-height));
  return out;
}

TEST(BmpDecoder, MatchesImageMagickInEveryLayout) {
  struct Case {
    const char* name;
    const char* options;
    const char* format;
    int infoSize, bits;
    uint32_t compression;
    int outBits;
  };
  const char* kPalette16 = "-alpha off -colors 16 -type Palette -compress None";
  const char* kPalette256 = "-alpha off -type Palette -compress None";
  const Case cases[] = {
      {"1 bit", "-alpha off -monochrome", "BMP3", 40, 1, 0, 24},
      {"4 bits", kPalette16, "BMP3", 40, 4, 0, 8},
      {"4 bits, long header", kPalette16, "BMP", 124, 4, 0, 8},
      {"8 bits", kPalette256, "BMP3", 40, 8, 0, 8},
      {"8 bits, long header", kPalette256, "BMP", 124, 8, 0, 8},
      {"RLE8", "-alpha off -type Palette -compress RLE", "BMP3", 40, 8, 1, 8},
      {"16 bits, 5-5-5 fields", "-alpha off -define bmp:subtype=RGB555", "BMP", 124, 16, 3, 24},
      {"16 bits, 5-6-5 fields", "-alpha off -define bmp:subtype=RGB565", "BMP", 124, 16, 3, 24},
      {"24 bits", "-alpha off -type TrueColor", "BMP3", 40, 24, 0, 24},
      {"32 bits", "-define bmp3:alpha=true -type TrueColorAlpha", "BMP3", 40, 32, 0, 24},
      {"32 bits, fields", "-type TrueColorAlpha", "BMP", 124, 32, 3, 24},
  };
  Magick magick;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = magick.Write(c.options, c.format);
    ASSERT_GT(file.size(), 54u);
    ASSERT_EQ(InfoSize(file), c.infoSize);
    ASSERT_EQ(BitCount(file), c.bits);
    ASSERT_EQ(CompressionOf(file), c.compression);
    const Decoded decoded = Decode(file);
    ASSERT_EQ(decoded.result, 0);
    EXPECT_EQ(decoded.decoder, "BMP");
    EXPECT_EQ(decoded.image.format.bitsPerPixel, c.outBits);
    EXPECT_EQ(decoded.image.width, kPatternWidth);
    EXPECT_EQ(decoded.image.height, kPatternHeight);
    ExpectPixelsMatch(decoded.image, magick.Read(file, "BMP"));
  }
}

TEST(BmpDecoder, TopDownFilesGiveTheSamePictureAndKeepTheirOwnBytes) {
  struct Case {
    const char* name;
    const char* options;
    bool ownBytes;  // 8 and 24 bits: the file's lines are the picture
  };
  const Case cases[] = {
      {"1 bit", "-alpha off -monochrome", false},
      {"4 bits", "-alpha off -colors 16 -type Palette -compress None", false},
      {"8 bits", "-alpha off -type Palette -compress None", true},
      {"24 bits", "-alpha off -type TrueColor", true},
  };
  Magick magick;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes bottomUp = magick.Write(c.options, "BMP3");
    const Bytes topDown = TopDown(bottomUp);
    const Decoded up = Decode(bottomUp);
    const Decoded down = Decode(topDown);
    ASSERT_EQ(up.result, 0);
    ASSERT_EQ(down.result, 0);
    ExpectPixelsMatch(down.image, magick.Read(topDown, "BMP"));
    ExpectPixelsMatch(up.image, magick.Read(topDown, "BMP"));
    if (c.ownBytes) {
      const size_t offset = DataOffset(topDown);
      EXPECT_EQ(TrackedHeaderOf(down.image.pixels)->size, topDown.size() - offset);
      EXPECT_EQ(std::memcmp(down.image.pixels, &topDown[offset], topDown.size() - offset), 0);
      EXPECT_EQ(down.image.pitch, up.image.pitch);
    }
  }
}

TEST(BmpDecoder, BitFieldsAreReadByTheirMasks) {
  struct Case {
    const char* name;
    int bits;
    uint32_t masks[3];
    int precision;  // the bits the masks keep of each channel
    bool magick;    // ImageMagick rounds 10-bit channels down, a step off
  };
  const Case cases[] = {
      {"16 bits 5-6-5", 16, {0xF800, 0x07E0, 0x001F}, 5, true},
      {"16 bits 4-4-4", 16, {0x0F00, 0x00F0, 0x000F}, 4, true},
      {"32 bits, red lowest", 32, {0x000000FF, 0x0000FF00, 0x00FF0000}, 8, true},
      {"32 bits, 10-10-10", 32, {0x3FF00000, 0x000FFC00, 0x000003FF}, 8, false},
  };
  const Bytes pattern = PatternPixels();
  Magick magick;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes masks;
    for (const uint32_t mask : c.masks) Put32(&masks, mask);
    Bytes data;
    for (int y = kPatternHeight - 1; y >= 0; --y) {
      for (int x = 0; x < kPatternWidth; ++x) {
        uint32_t pixel = 0;
        for (int channel = 0; channel < 3; ++channel) {
          const uint32_t mask = c.masks[channel];
          const int shift = __builtin_ctz(mask);
          const int width = __builtin_popcount(mask);
          const uint32_t value = pattern[4 * (y * kPatternWidth + x) + channel];
          pixel |= (width >= 8 ? value << (width - 8) : value >> (8 - width)) << shift;
        }
        c.bits == 16 ? Put16(&data, pixel) : Put32(&data, pixel);
      }
      while (data.size() % 4 != 0) data.push_back(0);
    }
    const Bytes file = BmpFile(kPatternWidth, kPatternHeight, c.bits, 3, masks, data);
    const Decoded decoded = Decode(file);
    ASSERT_EQ(decoded.result, 0);
    EXPECT_EQ(decoded.image.format.bitsPerPixel, 24);
    if (c.magick) ExpectPixelsMatch(decoded.image, magick.Read(file, "BMP"), c.precision);
    ExpectPixelsMatch(decoded.image, pattern, c.precision);
  }
}

TEST(BmpDecoder, SixteenBitsWithoutFieldsAreFiveFiveFive) {
  Magick magick;
  const Bytes fields = magick.Write("-alpha off -define bmp:subtype=RGB555", "BMP");
  ASSERT_EQ(CompressionOf(fields), 3u);
  Bytes file = fields;
  Set32(&file, 30, 0);  // the masks stay in the header, unread
  Set32(&file, 54, 0xF800);
  const Decoded decoded = Decode(file);
  ASSERT_EQ(decoded.result, 0);
  ExpectPixelsMatch(decoded.image, magick.Read(fields, "BMP"));
}

TEST(BmpDecoder, AnEightBitFileWithSixteenColoursStillReadsAFullTable) {
  Bytes table;
  for (int i = 0; i < 16; ++i) {
    for (const int value : {i * 16, 255 - i * 16, i * 3, 0})
      table.push_back(static_cast<uint8_t>(value));
  }
  const Bytes data = {15, 1, 0, 0, 0, 7, 0, 0};  // bottom line, then top line
  const Bytes file = BmpFile(2, 2, 8, 0, table, data, 16);
  const Decoded decoded = Decode(file);
  ASSERT_EQ(decoded.result, 0);
  const ColorFormat& format = decoded.image.format;
  EXPECT_EQ(std::memcmp(format.palette, table.data(), table.size()), 0);
  // Read as a 256-entry table, the pixel bytes that follow are its next entries; past the end
  // of the file the entries are 0.
  EXPECT_EQ(std::memcmp(format.palette[16], data.data(), 3), 0);
  EXPECT_EQ(std::memcmp(format.palette[17], data.data() + 4, 3), 0);
  const uint8_t zero[4] = {};
  EXPECT_EQ(std::memcmp(format.palette[18], zero, 4), 0);
  Magick magick;
  ExpectPixelsMatch(decoded.image, magick.Read(file, "BMP"));
}

TEST(BmpDecoder, RunLengthEscapesPlaceThePixels) {
  struct Case {
    const char* name;
    int bits, width, height;
    Bytes data;
    Bytes indexes;  // top line first
    bool magick;    // ImageMagick reads it (it refuses deltas and a missing end mark)
  };
  const Case cases[] = {
      {"RLE8: end of line, absolute run, delta, end of bitmap",
       8,
       4,
       3,
       {2, 5, 0, 0, 0, 3, 10, 11, 12, 0, 1, 7, 0, 0, 0, 2, 1, 0, 1, 9, 0, 1},
       {0, 9, 0, 0, 10, 11, 12, 7, 5, 5, 0, 0},
       false},
      {"RLE8: end of bitmap leaves the other lines 0",
       8,
       3,
       3,
       {3, 4, 0, 1, 3, 6},
       {0, 0, 0, 0, 0, 0, 4, 4, 4},
       true},
      {"RLE8: delta down a line",
       8,
       3,
       3,
       {0, 2, 2, 1, 1, 8, 0, 1},
       {0, 0, 0, 0, 0, 8, 0, 0, 0},
       false},
      {"RLE8: the data ends after the last line",
       8,
       2,
       2,
       {2, 1, 0, 0, 1, 2, 1, 3},
       {2, 3, 1, 1},
       false},
      // As ImageMagick writes lines whose width is no multiple of 4.
      {"RLE8: a run into the line's padding", 8, 3, 1, {3, 5, 1, 0, 0, 0, 0, 1}, {5, 5, 5}, true},
      {"RLE4: nibbles alternate, absolute runs padded to even",
       4,
       5,
       2,
       {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x67, 0, 1},
       {3, 4, 5, 6, 7, 1, 2, 1, 2, 1},
       true},
      {"RLE4: odd absolute run of three bytes",
       4,
       6,
       1,
       {0, 5, 0x12, 0x34, 0x50, 0, 1, 0xAB, 0, 1},
       {1, 2, 3, 4, 5, 0xA},
       true},
  };
  Bytes table;
  for (int i = 0; i < 256; ++i) {
    for (const int value : {i, 255 - i, i / 2, 0}) table.push_back(static_cast<uint8_t>(value));
  }
  Magick magick;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = BmpFile(c.width, c.height, c.bits, c.bits == 8 ? 1 : 2,
                               Bytes(table.begin(), table.begin() + (4 << c.bits)), c.data);
    const Decoded decoded = Decode(file);
    ASSERT_EQ(decoded.result, 0);
    EXPECT_EQ(decoded.image.format.bitsPerPixel, 8);
    EXPECT_EQ(decoded.image.pitch, (c.width + 3) / 4 * 4);
    Bytes indexes;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) indexes.push_back(ReadRawPixel(decoded.image, x, y) & 0xFF);
    }
    EXPECT_EQ(indexes, c.indexes);
    if (c.magick) ExpectPixelsMatch(decoded.image, magick.Read(file, "BMP"));
  }
}

TEST(BmpDecoder, RunsAndDeltasThatLeaveThePictureFail) {
  struct Case {
    const char* name;
    int bits, width, height;
    Bytes data;
  };
  const Case cases[] = {
      {"a run past the line's padding", 8, 3, 1, {3, 1, 2, 1, 0, 1}},
      {"an absolute run past the line's end", 8, 4, 2, {2, 1, 0, 3, 1, 2, 3, 0, 0, 1}},
      {"a delta past the right edge", 8, 4, 2, {0, 2, 5, 0, 0, 1}},
      {"a delta past the last line", 8, 4, 2, {0, 2, 0, 2, 0, 1}},
      {"a run after the last line", 8, 2, 1, {2, 1, 0, 0, 2, 1, 0, 1}},
      {"an end of line past the last line", 8, 1, 1, {1, 1, 0, 0, 0, 0, 0, 1}},
      {"data that ends before the last line", 8, 2, 2, {2, 1, 0, 0}},
      {"an absolute run cut by the end of the data", 8, 4, 1, {0, 4, 1, 2}},
      {"a delta cut by the end of the data", 8, 4, 2, {0, 2, 1}},
      {"an RLE4 run past the line's end", 4, 3, 1, {5, 0x11, 0, 1}},
      {"an RLE4 absolute run past the line's end", 4, 3, 1, {0, 5, 0x12, 0x34, 0x50, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = BmpFile(c.width, c.height, c.bits, c.bits == 8 ? 1 : 2,
                               Bytes(size_t{4} << c.bits, 0), c.data);
    EXPECT_EQ(Decode(file).result, -1);
  }
}

}  // namespace
}  // namespace kumo::decoder_test
