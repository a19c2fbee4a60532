// Files that end early or lie in their headers: each decoding fails cleanly (everything taken is
// given back, nothing read or written outside a block, which the sanitizer build checks) or, for
// a file cut only where nothing is missing, gives the whole file's picture.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "tests/image/decoder_fixture.h"

namespace kumo::decoder_test {
namespace {

struct Fixture {
  std::string name;
  Bytes file;
};

std::vector<Fixture> Fixtures() {
  Magick magick;
  std::vector<Fixture> fixtures;
  const std::pair<const char*, const char*> made[][2] = {
      {{"BMP 1 bit", "BMP3"}, {"-alpha off -monochrome", ""}},
      {{"BMP 4 bits", "BMP3"}, {"-alpha off -colors 16 -type Palette -compress None", ""}},
      {{"BMP 8 bits", "BMP"}, {"-alpha off -type Palette -compress None", ""}},
      {{"BMP RLE8", "BMP3"}, {"-alpha off -type Palette -compress RLE", ""}},
      {{"BMP 16 bits", "BMP"}, {"-alpha off -define bmp:subtype=RGB565", ""}},
      {{"BMP 24 bits", "BMP3"}, {"-alpha off -type TrueColor", ""}},
      {{"BMP 32 bits", "BMP"}, {"-type TrueColorAlpha", ""}},
      {{"TGA 24 bits", "TGA"}, {"-alpha off -type TrueColor -set comment id", ""}},
      {{"TGA 32 bits RLE", "TGA"}, {"-type TrueColorAlpha -compress RLE", ""}},
      {{"TGA colour-mapped", "TGA"}, {"-alpha off -type Palette", ""}},
      {{"TGA colour-mapped RLE", "TGA"}, {"-alpha off -type Palette -compress RLE", ""}},
      {{"DDS 32 bits", "DDS"}, {"-define dds:compression=none -define dds:mipmaps=0", ""}},
  };
  for (const auto& entry : made) {
    fixtures.push_back({entry[0].first, magick.Write(entry[1].first, entry[0].second)});
  }
  fixtures.push_back({"BMP RLE4", BmpFile(5, 2, 4, 2, Bytes(64, 7),
                                          {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x67, 0, 1})});
  TgaHeader tga16;
  tga16.width = 4;
  tga16.height = 4;
  tga16.pixelBits = 16;
  tga16.type = 10;
  Bytes packets = {0x81, 0x12, 0x34, 0x0D};  // a repeat of 2, then 14 values
  for (int i = 0; i < 14; ++i) Put16(&packets, static_cast<uint32_t>(0x0421 * i));
  fixtures.push_back({"TGA 16 bits RLE, footer", TgaFile(tga16, {}, {}, packets, true)});
  const uint32_t noMasks[4] = {};
  fixtures.push_back(
      {"DDS FourCC 23", DdsFile(3, 2, 0x1007, 0, 0x4, 23, 0, noMasks, Bytes(12, 0x5A))});
  Bytes wide;
  for (int i = 0; i < 2 * 2 * 4; ++i) Put16(&wide, static_cast<uint32_t>(i * 0x1111));
  fixtures.push_back({"BGRA 8 bits", BgraFile(0x08080808, 2, 2, Bytes(16, 0x42))});
  fixtures.push_back({"BGRA 16 bits", BgraFile(0x10101010, 2, 2, wide)});
  return fixtures;
}

bool SamePicture(const GraphImage& a, const GraphImage& b) {
  if (a.width != b.width || a.height != b.height || a.pitch != b.pitch ||
      std::memcmp(&a.format, &b.format, sizeof a.format) != 0) {
    return false;
  }
  const size_t lineBytes = size_t{a.format.bytesPerPixel} * a.width;
  for (int y = 0; y < a.height; ++y) {
    if (std::memcmp(static_cast<const uint8_t*>(a.pixels) + static_cast<size_t>(y) * a.pitch,
                    static_cast<const uint8_t*>(b.pixels) + static_cast<size_t>(y) * b.pitch,
                    lineBytes) != 0) {
      return false;
    }
  }
  return true;
}

TEST(HostileImages, EveryCutFailsCleanlyOrGivesTheWholePicture) {
  for (const Fixture& fixture : Fixtures()) {
    SCOPED_TRACE(fixture.name);
    ASSERT_FALSE(fixture.file.empty());
    const Decoded whole = Decode(fixture.file);
    ASSERT_EQ(whole.result, 0);
    for (size_t length = 0; length < fixture.file.size(); ++length) {
      const Decoded cut = Decode(Bytes(fixture.file.begin(), fixture.file.begin() + length));
      if (cut.result != 0) continue;
      // Only a cut into what follows the pixels (padding, an end mark, a footer) may succeed.
      EXPECT_EQ(cut.decoder, whole.decoder) << "cut at " << length;
      EXPECT_TRUE(SamePicture(cut.image, whole.image)) << "cut at " << length;
    }
    const Bytes half(fixture.file.begin(), fixture.file.begin() + fixture.file.size() / 2);
    EXPECT_EQ(Decode(half).result, -1);
  }
}

Bytes With(Bytes file, size_t at, uint32_t value, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
  return file;
}

TEST(HostileImages, HeadersThatLieFailCleanly) {
  const Bytes bmp = BmpFile(2, 2, 24, 0, {}, Bytes(16, 0x11));
  const Bytes bmp1 = BmpFile(8, 1, 1, 0, Bytes(8, 0x22), Bytes(4, 0x33));
  const Bytes rle8 = BmpFile(4, 4, 8, 1, Bytes(1024, 0), {0, 1});
  Bytes fields;
  for (const uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) Put32(&fields, mask);
  const Bytes bmp16 = BmpFile(2, 1, 16, 3, fields, Bytes(4, 0x44));

  TgaHeader tgaHeader;
  tgaHeader.width = 2;
  tgaHeader.height = 2;
  const Bytes tga = TgaFile(tgaHeader, {}, {}, Bytes(12, 0x55), false);
  TgaHeader mappedHeader = tgaHeader;
  mappedHeader.type = 1;
  mappedHeader.mapType = 1;
  mappedHeader.mapLength = 2;
  mappedHeader.mapEntryBits = 24;
  mappedHeader.pixelBits = 8;
  const Bytes mapped = TgaFile(mappedHeader, {}, Bytes(6, 0x66), {0, 1, 1, 0}, false);

  const uint32_t argb[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  const Bytes dds = DdsFile(2, 2, 0x1007, 0, 0x41, 0, 32, argb, Bytes(16, 0x77));
  const Bytes bgra = BgraFile(0x08080808, 2, 2, Bytes(16, 0x88));
  const Bytes bgra16 = BgraFile(0x10101010, 2, 2, Bytes(32, 0x99));

  const Fixture cases[] = {
      // BMP: sizes against the data, header fields against what can be read.
      {"BMP width 2^31 - 1", With(bmp, 18, 0x7FFFFFFF)},
      {"BMP height 2^31 - 1", With(bmp, 22, 0x7FFFFFFF)},
      {"BMP height -2^31", With(bmp, 22, 0x80000000)},
      {"BMP width 0", With(bmp, 18, 0)},
      {"BMP width negative", With(bmp, 18, static_cast<uint32_t>(-2))},
      {"BMP 1 bit, 2^30 x 2^30", With(With(bmp1, 18, 0x40000000), 22, 0x40000000)},
      {"BMP one line too many", With(bmp, 22, 3)},
      {"BMP pixel data past the end", With(bmp, 10, static_cast<uint32_t>(bmp.size() + 1))},
      {"BMP pixel data at the end", With(bmp, 10, static_cast<uint32_t>(bmp.size()))},
      {"BMP core header (12 bytes)", With(bmp, 14, 12)},
      {"BMP header longer than the file", With(bmp, 14, 0xFFFFFFF0)},
      {"BMP 7 bits", With(bmp, 28, 7, 2)},
      {"BMP JPEG inside", With(bmp, 30, 4)},
      {"BMP RLE8 with 24 bits", With(bmp, 30, 1)},
      {"BMP RLE8 of 30000 x 30000", With(With(rle8, 18, 30000), 22, 30000)},
      {"BMP fields that overlap", With(bmp16, 58, 0xFF00)},
      {"BMP a field past the pixel", With(bmp16, 54, 0x1F0000)},
      {"BMP a field in two pieces", With(bmp16, 62, 0x0005)},
      {"BMP fields at 8 bits", With(bmp16, 28, 8, 2)},
      {"BMP fields cut", Bytes(bmp16.begin(), bmp16.begin() + 60)},
      // TGA: the accepted kinds, the colour map's bounds, the data against the file.
      {"TGA width 4096", With(tga, 12, 4096, 2)},
      {"TGA height 0", With(tga, 14, 0, 2)},
      {"TGA x origin 1", With(tga, 8, 1, 2)},
      {"TGA 15 bits", With(tga, 16, 15, 1)},
      {"TGA grey", With(tga, 2, 3, 1)},
      {"TGA one line too many", With(tga, 14, 3, 2)},
      {"TGA ID field past the end", With(tga, 0, 255, 1)},
      {"TGA map of 257 entries", With(With(mapped, 3, 200, 2), 5, 57, 2)},
      {"TGA map past the end", With(mapped, 5, 256, 2)},
      {"TGA map of 2-byte indexes", With(mapped, 16, 16, 1)},
      {"TGA mapped without a map", With(mapped, 1, 0, 1)},
      {"TGA map entries of 8 bits", With(mapped, 7, 8, 1)},
      // DDS: sizes, pitch and masks.
      {"DDS width 2^32 - 1", With(dds, 16, 0xFFFFFFFF)},
      {"DDS height 2^31", With(dds, 12, 0x80000000)},
      {"DDS one line too many", With(dds, 12, 3)},
      {"DDS pitch shorter than a line", With(With(dds, 8, 0x100F), 20, 4)},
      {"DDS pitch 2^31 - 1", With(With(dds, 8, 0x100F), 20, 0x7FFFFFFF)},
      {"DDS pitch 2^32 - 1 by 2^31 - 1 lines",
       With(With(With(dds, 8, 0x100F), 20, 0xFFFFFFFF), 12, 0x7FFFFFFF)},
      {"DDS 12 bits", With(dds, 88, 12)},
      {"DDS masks that overlap", With(dds, 96, 0xFF0000)},
      {"DDS masks past the pixel", With(dds, 88, 16)},
      {"DDS description cut", Bytes(dds.begin(), dds.begin() + 100)},
      // BGRA: the sizes against the data.
      {"BGRA 2^30 x 4", With(With(bgra, 8, 0x40000000), 12, 4)},
      {"BGRA 2^32 - 1 squared", With(With(bgra, 8, 0xFFFFFFFF), 12, 0xFFFFFFFF)},
      {"BGRA width 0", With(bgra, 8, 0)},
      {"BGRA one line too many", With(bgra, 12, 3)},
      {"BGRA 16 bits, 2^29 x 2", With(bgra16, 8, 0x20000000)},
      {"BGRA 16 bits, one line too many", With(bgra16, 12, 3)},
  };
  for (const Fixture& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Decode(c.file).result, -1);
  }
  // The untouched files decode, so each case above fails by its one change.
  for (const Bytes* file : {&bmp, &bmp1, &rle8, &bmp16, &tga, &mapped, &dds, &bgra, &bgra16}) {
    EXPECT_EQ(Decode(*file).result, 0);
  }
}

}  // namespace
}  // namespace kumo::decoder_test
