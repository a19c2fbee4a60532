#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "kumo/image/color_format.h"
#include "kumo/image/decoders.h"
#include "kumo/image/graph_image.h"
#include "tests/image/magick_fixture.h"

namespace {

using kumo::GraphImage;

constexpr int kWidth = 13;  // odd, so that no pitch is a multiple of 4 by chance
constexpr int kHeight = 7;

enum class Kind { Gray8, GreyAlpha16, Indexed8, Bgr24, Argb32 };

// What a PNG file says about itself: its header, its palette and whether it has a tRNS chunk.
struct PngFacts {
  int bitDepth = 0, colorType = 0, interlace = 0;
  bool trns = false;
  std::vector<std::array<uint8_t, 3>> palette;
};

PngFacts FactsOf(const std::string& png) {
  PngFacts facts;
  facts.bitDepth = static_cast<uint8_t>(png[24]);
  facts.colorType = static_cast<uint8_t>(png[25]);
  facts.interlace = static_cast<uint8_t>(png[28]);
  for (size_t at = 8; at + 8 <= png.size();) {
    const uint32_t length =
        static_cast<uint8_t>(png[at]) << 24 | static_cast<uint8_t>(png[at + 1]) << 16 |
        static_cast<uint8_t>(png[at + 2]) << 8 | static_cast<uint8_t>(png[at + 3]);
    const std::string type = png.substr(at + 4, 4);
    if (type == "tRNS") facts.trns = true;
    if (type == "PLTE") {
      for (uint32_t i = 0; i + 3 <= length; i += 3) {
        facts.palette.push_back({static_cast<uint8_t>(png[at + 8 + i]),
                                 static_cast<uint8_t>(png[at + 9 + i]),
                                 static_cast<uint8_t>(png[at + 10 + i])});
      }
    }
    at += 12 + length;
  }
  return facts;
}

ColorFormat ExpectedFormat(Kind kind, const PngFacts& facts) {
  ColorFormat format;
  std::memset(&format, 0, sizeof format);
  switch (kind) {
    case Kind::Gray8:
      kumo::SetGray8(&format);
      break;
    case Kind::GreyAlpha16:
      format.bitsPerPixel = 16;
      format.bytesPerPixel = 2;
      format.redWidth = format.greenWidth = format.blueWidth = 8;
      format.redMask = format.greenMask = format.blueMask = 0xFF;
      format.padMask = 0xFF00;
      format.padShift = 8;
      format.padWidth = 8;
      break;
    case Kind::Indexed8:
      kumo::SetIndexed8(&format);
      for (size_t i = 0; i < facts.palette.size(); ++i) {
        format.palette[i][0] = facts.palette[i][2];
        format.palette[i][1] = facts.palette[i][1];
        format.palette[i][2] = facts.palette[i][0];
      }
      break;
    case Kind::Bgr24:
      kumo::SetBgr24(&format);
      break;
    case Kind::Argb32:
      kumo::SetArgb32(&format);
      break;
  }
  return format;
}

// The decoded bytes read as the format lays them out, as red, green, blue, alpha. The grey
// alpha format has no alpha channel, but its second byte still holds the file's alpha.
std::vector<uint8_t> AsRgba(const GraphImage& image, Kind kind) {
  std::vector<uint8_t> rgba;
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* line = static_cast<const uint8_t*>(image.pixels) + y * image.pitch;
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = line + x * image.format.bytesPerPixel;
      std::array<uint8_t, 4> c = {};
      switch (kind) {
        case Kind::Gray8:
          c = {p[0], p[0], p[0], 255};
          break;
        case Kind::GreyAlpha16:
          c = {p[0], p[0], p[0], p[1]};
          break;
        case Kind::Indexed8: {
          const uint8_t* entry = image.format.palette[p[0]];
          c = {entry[2], entry[1], entry[0], 255};
          break;
        }
        case Kind::Bgr24:
          c = {p[2], p[1], p[0], 255};
          break;
        case Kind::Argb32:
          c = {p[2], p[1], p[0], p[3]};
          break;
      }
      rgba.insert(rgba.end(), c.begin(), c.end());
    }
  }
  return rgba;
}

using PngDecoder = MagickTest;

TEST_F(PngDecoder, EveryColourTypeMatchesImageMagickInItsFormat) {
  struct Case {
    const char* name;
    int channels;       // of the source picture
    bool sixteen;       // 16-bit samples in the source and the file
    int colours;        // 0: any sample values; n: at most n distinct colours
    bool keyed;         // colour 0 fully transparent, every other one opaque
    const char* write;  // ImageMagick's options for the PNG
    bool png8;          // written by its 8-bit palette writer
    int bitDepth, colorType, interlace;
    bool trns;
    Kind kind;
  };
  const Case cases[] = {
      {"grey", 1, false, 0, false, "-define png:color-type=0 -define png:bit-depth=8", false, 8, 0,
       0, false, Kind::Gray8},
      {"grey 2-bit", 1, false, 4, false, "-define png:color-type=0 -define png:bit-depth=2", false,
       2, 0, 0, false, Kind::Gray8},
      {"grey 16-bit", 1, true, 0, false, "-define png:color-type=0 -define png:bit-depth=16", false,
       16, 0, 0, false, Kind::Gray8},
      {"grey with alpha", 2, false, 0, false, "-define png:color-type=4", false, 8, 4, 0, false,
       Kind::GreyAlpha16},
      {"grey with tRNS", 2, false, 6, true, "-define png:color-type=0 -define png:bit-depth=8",
       false, 8, 0, 0, true, Kind::GreyAlpha16},
      {"palette 4-bit", 3, false, 16, false, "-colors 16 -define png:bit-depth=4", true, 4, 3, 0,
       false, Kind::Indexed8},
      {"palette 4-bit interlaced", 3, false, 16, false,
       "-colors 16 -define png:bit-depth=4 -interlace PNG", true, 4, 3, 1, false, Kind::Indexed8},
      {"palette with tRNS", 4, false, 40, false, "-type PaletteAlpha", false, 8, 3, 0, true,
       Kind::Argb32},
      {"RGB", 3, false, 0, false, "-define png:color-type=2", false, 8, 2, 0, false, Kind::Bgr24},
      {"RGB with tRNS", 4, false, 6, true, "-define png:color-type=2", false, 8, 2, 0, true,
       Kind::Argb32},
      {"RGB interlaced", 3, false, 0, false, "-define png:color-type=2 -interlace PNG", false, 8, 2,
       1, false, Kind::Bgr24},
      {"RGBA", 4, false, 0, false, "-define png:color-type=6", false, 8, 6, 0, false, Kind::Argb32},
      {"RGBA 16-bit", 4, true, 0, false, "-define png:color-type=6 -define png:bit-depth=16", false,
       16, 6, 0, false, Kind::Argb32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const uint32_t range = c.sixteen ? 65536 : 256;
    WritePam("source.pam", kWidth, kHeight, c.channels, c.sixteen, [&](int x, int y, int ch) {
      if (c.colours == 0) return Scatter(x, y, ch, range);
      const int colour = static_cast<int>(Scatter(x, y, 0, static_cast<uint32_t>(c.colours)));
      const bool alpha = ch == c.channels - 1 && c.channels % 2 == 0;
      if (alpha && c.keyed) return colour == 0 ? 0u : 255u;
      if (c.channels <= 2 && !alpha) return 255u * colour / (c.colours - 1);
      return Scatter(colour, 1, ch, 256);
    });
    Magick("source.pam " + std::string(c.write) + (c.png8 ? " PNG8:" : " ") + "picture.png");
    const std::string png = Read("picture.png");
    const PngFacts facts = FactsOf(png);
    ASSERT_EQ((std::array<int, 3>{facts.bitDepth, facts.colorType, facts.interlace}),
              (std::array<int, 3>{c.bitDepth, c.colorType, c.interlace}))
        << "ImageMagick wrote another kind of PNG";
    ASSERT_EQ(facts.trns, c.trns);

    const int live = LiveBlocks();
    GraphImage image = {};
    const char* decoder = nullptr;
    ASSERT_EQ(DecodeBytes(png, &image, &decoder), 0);
    EXPECT_STREQ(decoder, "PNG");
    EXPECT_EQ(LiveBlocks(), live + 1) << "only the pixel block stays";
    EXPECT_EQ(image.width, kWidth);
    EXPECT_EQ(image.height, kHeight);
    const ColorFormat expected = ExpectedFormat(c.kind, facts);
    EXPECT_EQ(std::memcmp(&image.format, &expected, sizeof expected), 0);
    EXPECT_EQ(image.pitch, kWidth * expected.bytesPerPixel);
    EXPECT_EQ(AsRgba(image, c.kind), MagickRgba("picture.png", c.sixteen));
    kumo::ReleaseGraphImage(&image);
    EXPECT_EQ(LiveBlocks(), live);
  }
}

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (const char byte : bytes) {
    crc ^= static_cast<uint8_t>(byte);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

std::string BigEndian(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string Chunk(const std::string& type, const std::string& data) {
  return BigEndian(static_cast<uint32_t>(data.size())) + type + data +
         BigEndian(Crc32(type + data));
}

// An RGBA 8-bit PNG of the given size whose IDAT is `idat` (not necessarily valid data).
std::string PngWithHeader(uint32_t width, uint32_t height, int colorType, const std::string& idat) {
  const std::string ihdr = BigEndian(width) + BigEndian(height) + static_cast<char>(8) +
                           static_cast<char>(colorType) + std::string(3, '\0');
  return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + Chunk("IDAT", idat) +
         Chunk("IEND", "");
}

TEST_F(PngDecoder, BrokenFilesFailAndGiveEverythingBack) {
  WritePam("source.pam", kWidth, kHeight, 4, false,
           [](int x, int y, int ch) { return Scatter(x, y, ch, 256); });
  Magick("source.pam -define png:color-type=6 picture.png");
  const std::string good = Read("picture.png");
  const size_t idat = good.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  auto flipped = [&](size_t at) {
    std::string bytes = good;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
    return bytes;
  };
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"signature only", good.substr(0, 8)},
      {"cut in the header", good.substr(0, 20)},
      {"cut in the pixel data", good.substr(0, idat + 20)},
      {"cut before the end chunk", good.substr(0, good.size() - 12)},
      {"last byte missing", good.substr(0, good.size() - 1)},
      {"wrong signature", flipped(1)},
      {"header changed under its checksum", flipped(18)},
      {"pixel data changed under its checksum", flipped(idat + 10)},
      {"impossible colour type", PngWithHeader(kWidth, kHeight, 5, "")},
      {"pixel data that does not inflate", PngWithHeader(kWidth, kHeight, 6, "not zlib data")},
      {"wider than libpng reads", PngWithHeader(0x7FFFFFFF, 1, 6, std::string(64, '\0'))},
      // 16000 x 16000 x 4 bytes fit the size limit, but not the few bytes that follow.
      {"header far larger than its data", PngWithHeader(16000, 16000, 6, std::string(64, '\0'))},
      // Enough bytes that might inflate to 20000 x 20000 x 4, beyond the size limit.
      {"header beyond the size limit", PngWithHeader(20000, 20000, 6, std::string(2000000, 'x'))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int live = LiveBlocks();
    GraphImage image = {};
    EXPECT_NE(DecodeBytesWith(kumo::DecodePng, c.bytes, &image), 0);
    EXPECT_EQ(LiveBlocks(), live);
  }
}

}  // namespace
