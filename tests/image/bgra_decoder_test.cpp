#include <gtest/gtest.h>

#include <cstring>

#include "tests/image/decoder_fixture.h"

namespace kumo::decoder_test {
namespace {

constexpr uint32_t kDepth8 = 0x08080808;
constexpr uint32_t kDepth16 = 0x10101010;

TEST(BgraDecoder, EightBitChannelsAreThePixels) {
  const Bytes pixels = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                        13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};  // 3 x 2
  const Decoded decoded = Decode(BgraFile(kDepth8, 3, 2, pixels));
  ASSERT_EQ(decoded.result, 0);
  EXPECT_EQ(decoded.decoder, "BGRA");
  EXPECT_EQ(decoded.image.format.bitsPerPixel, 32);
  EXPECT_EQ(decoded.image.format.alphaMask, 0xFF000000u);
  EXPECT_EQ(decoded.image.pitch, 12);
  EXPECT_EQ(std::memcmp(decoded.image.pixels, pixels.data(), pixels.size()), 0);
}

TEST(BgraDecoder, SixteenBitChannelsKeepTheirHighBytes) {
  Bytes wide;
  Bytes narrow;
  for (int i = 0; i < 2 * 3 * 4; ++i) {
    const uint32_t value = static_cast<uint32_t>(i * 0x0A0B + 0x33);
    Put16(&wide, value);
    narrow.push_back(static_cast<uint8_t>(value >> 8));
  }
  const Decoded decoded = Decode(BgraFile(kDepth16, 2, 3, wide));
  ASSERT_EQ(decoded.result, 0);
  EXPECT_EQ(decoded.image.width, 2);
  EXPECT_EQ(decoded.image.height, 3);
  EXPECT_EQ(decoded.image.pitch, 8);
  EXPECT_EQ(std::memcmp(decoded.image.pixels, narrow.data(), narrow.size()), 0);
}

TEST(BgraDecoder, OtherDepthsAreNotThisFormat) {
  // No other decoder takes the file either.
  EXPECT_EQ(Decode(BgraFile(0x01010101, 1, 1, {1, 2, 3, 4, 5, 6, 7, 8})).result, -1);
}

}  // namespace
}  // namespace kumo::decoder_test
