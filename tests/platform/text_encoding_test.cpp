#include "kumo/platform/text_encoding.h"

#include <gtest/gtest.h>

namespace kumo::platform {
namespace {

TEST(ShiftJisCharToUnicode, ConvertsSingleAndDoubleByteCodesAndRefusesTheRest) {
  struct Case {
    uint32_t code;
    char32_t expected;
  };
  const Case cases[] = {
      {'A', U'A'},     {0x5C, U'\\'},    {0xA6, U'ｦ'},  // the half-width katakana
      {0x8140, U'　'}, {0x8276, U'Ｗ'},  {0x889F, U'亜'},
      {0xFC4B, U'黑'}, {0xF040, 0xE000},               // the first user-defined character
      {0x8540, 0},                                     // no character
      {0x82, 0},                                       // a lead byte alone
      {0xA0, 0},       {0xFD, 0},        {0x813F, 0},  // a trail byte below the range
      {0x4141, 0},                                     // no lead byte
      {0x10000, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShiftJisCharToUnicode(c.code), c.expected) << std::hex << c.code;
  }
}

}  // namespace
}  // namespace kumo::platform
