#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kumo/image/color_format.h"
#include "kumo/image/decoders.h"
#include "kumo/image/graph_image.h"
#include "tests/image/magick_fixture.h"

namespace {

using kumo::GraphImage;

constexpr int kWidth = 45;  // no multiple of the 8 or 16 pixels of a JPEG block
constexpr int kHeight = 29;
// Both sides run libjpeg; what separates them is at most its rounding.
constexpr int kTolerance = 2;

// The frame header: its marker (0xC0 baseline, 0xC2 progressive) and component count.
struct Frame {
  size_t at = std::string::npos;  // offset of the 0xFF before the marker
  int marker = 0;
  int components = 0;
};

Frame FrameOf(const std::string& jpeg) {
  Frame frame;
  for (const int marker : {0xC0, 0xC1, 0xC2}) {
    const size_t at = jpeg.find(std::string{'\xFF', static_cast<char>(marker)});
    if (at != std::string::npos && at < frame.at)
      frame = {at, marker, static_cast<uint8_t>(jpeg[at + 9])};
  }
  return frame;
}

// The same file with the frame header's height and width replaced.
std::string WithSize(const std::string& jpeg, int width, int height) {
  std::string bytes = jpeg;
  const size_t at = FrameOf(jpeg).at;
  bytes[at + 5] = static_cast<char>(height >> 8);
  bytes[at + 6] = static_cast<char>(height);
  bytes[at + 7] = static_cast<char>(width >> 8);
  bytes[at + 8] = static_cast<char>(width);
  return bytes;
}

uint32_t Smooth(int x, int y, int channel) {
  return static_cast<uint32_t>(x * (5 + channel * 3) + y * (7 - channel * 2) + channel * 70) % 256;
}

// The largest difference between the decoded pixels, as red, green, blue, and ImageMagick's.
int LargestDifference(const GraphImage& image, const std::vector<uint8_t>& magick) {
  int largest = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = static_cast<const uint8_t*>(image.pixels) + y * image.pitch +
                         x * image.format.bytesPerPixel;
      const uint8_t* m = &magick[4 * (y * image.width + x)];
      for (int c = 0; c < 3; ++c) {
        const int ours = image.format.bytesPerPixel == 1 ? p[0] : p[2 - c];
        largest = std::max(largest, std::abs(ours - m[c]));
      }
    }
  }
  return largest;
}

using JpegDecoder = MagickTest;

TEST_F(JpegDecoder, GreyColourAndProgressiveMatchImageMagick) {
  struct Case {
    const char* name;
    const char* write;
    int marker, components;
  };
  const Case cases[] = {
      {"grey", "-colorspace Gray", 0xC0, 1},
      {"colour", "", 0xC0, 3},
      {"colour, chroma halved both ways", "-sampling-factor 2x2", 0xC0, 3},
      {"grey progressive", "-colorspace Gray -interlace JPEG", 0xC2, 1},
      {"colour progressive", "-interlace JPEG", 0xC2, 3},
  };
  WritePam("source.pam", kWidth, kHeight, 3, false, Smooth);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Magick("source.pam " + std::string(c.write) + " picture.jpg");
    const std::string jpeg = Read("picture.jpg");
    const Frame frame = FrameOf(jpeg);
    ASSERT_EQ(frame.marker, c.marker) << "ImageMagick wrote another kind of JPEG";
    ASSERT_EQ(frame.components, c.components);

    const int live = LiveBlocks();
    GraphImage image = {};
    const char* decoder = nullptr;
    ASSERT_EQ(DecodeBytes(jpeg, &image, &decoder), 0);
    EXPECT_STREQ(decoder, "JPEG");
    EXPECT_EQ(LiveBlocks(), live + 1) << "only the pixel block stays";
    EXPECT_EQ(image.width, kWidth);
    EXPECT_EQ(image.height, kHeight);
    EXPECT_EQ(image.pitch, kWidth * c.components) << "no rounding";
    ColorFormat expected;
    std::memset(&expected, 0, sizeof expected);
    if (c.components == 1) {
      kumo::SetGray8(&expected);
    } else {
      kumo::SetBgr24(&expected);
    }
    EXPECT_EQ(std::memcmp(&image.format, &expected, sizeof expected), 0);
    EXPECT_LE(LargestDifference(image, MagickRgba("picture.jpg")), kTolerance);
    kumo::ReleaseGraphImage(&image);
    EXPECT_EQ(LiveBlocks(), live);
  }
}

// A file that ends inside its pixel data still decodes: the missing rest comes out as what the
// library makes of no data, after an end marker of our own.
TEST_F(JpegDecoder, FileCutInItsPixelDataDecodesWhatItHas) {
  WritePam("source.pam", kWidth, kHeight, 3, false, Smooth);
  Magick("source.pam picture.jpg");
  const std::string whole = Read("picture.jpg");
  const size_t scan = whole.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  const int live = LiveBlocks();
  GraphImage full = {};
  GraphImage cut = {};
  ASSERT_EQ(DecodeBytesWith(kumo::DecodeJpeg, whole, &full), 0);
  ASSERT_EQ(DecodeBytesWith(kumo::DecodeJpeg, whole.substr(0, (scan + whole.size()) / 2), &cut), 0);
  EXPECT_EQ(cut.width, kWidth);
  EXPECT_EQ(cut.height, kHeight);
  EXPECT_EQ(std::memcmp(cut.pixels, full.pixels, full.pitch), 0) << "the first line is there";
  EXPECT_NE(std::memcmp(cut.pixels, full.pixels, size_t(full.pitch) * kHeight), 0);
  kumo::ReleaseGraphImage(&full);
  kumo::ReleaseGraphImage(&cut);
  EXPECT_EQ(LiveBlocks(), live);
}

TEST_F(JpegDecoder, BrokenFilesFailAndGiveEverythingBack) {
  WritePam("source.pam", kWidth, kHeight, 3, false, Smooth);
  Magick("source.pam picture.jpg");
  Magick("source.pam -interlace JPEG progressive.jpg");
  Magick("source.pam -colorspace CMYK cmyk.jpg");
  Magick("source.pam picture.png");
  const std::string good = Read("picture.jpg");
  const std::string progressive = Read("progressive.jpg");
  const size_t scan = good.find("\xFF\xDA");
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"a PNG", Read("picture.png")},
      {"start marker only", good.substr(0, 2)},
      {"cut in the tables", good.substr(0, 40)},
      {"cut just before the pixel data", good.substr(0, scan)},
      {"no start marker", good.substr(2)},
      {"zero height", WithSize(good, kWidth, 0)},
      {"four components (CMYK)", Read("cmyk.jpg")},
      {"beyond the size limit", WithSize(good, 65500, 65500)},
      // Small enough for the pixel block, but its whole-image coefficients are not.
      {"progressive, beyond the working memory", WithSize(progressive, 18000, 18000)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int live = LiveBlocks();
    GraphImage image = {};
    EXPECT_NE(DecodeBytesWith(kumo::DecodeJpeg, c.bytes, &image), 0);
    EXPECT_EQ(LiveBlocks(), live);
  }
}

}  // namespace
