#include "kumo/support/strings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kumo::CharacterSet;

TEST(Strings, FindCharStepsOverDoubleByteCharacters) {
  // 0x5C is the second byte of the first character, not a backslash of its own.
  const char* text =
      "\x83\x5c"
      "a\\b";
  EXPECT_EQ(kumo::TextFindChar(text, '\\'), text + 3);
  EXPECT_EQ(kumo::TextFindChar(text, 'z'), nullptr);
  EXPECT_EQ(kumo::TextFindChar("ab\x83", '\0'), nullptr);  // a lead byte at the end stays inside
}

TEST(Strings, UpperCaseLeavesDoubleByteCharactersAlone) {
  char text[] =
      "ab\x82\x61"
      "c";  // 0x61 ('a') as a second byte stays
  kumo::TextUpper(text);
  EXPECT_STREQ(text,
               "AB\x82\x61"
               "C");
}

TEST(Strings, CopyAppendAndCompare) {
  char text[16];
  kumo::TextCopy(text, "Kumo");
  kumo::TextAppend(text, "Lib");
  EXPECT_STREQ(text, "KumoLib");
  EXPECT_EQ(kumo::TextCompare(text, "KumoLib"), 0);
  EXPECT_NE(kumo::TextCompare(text, "KumoLiB"), 0);
  EXPECT_EQ(kumo::TextCompareN(text, "KumoXX", 4), 0);
  EXPECT_NE(kumo::TextCompareN(text, "KumoXX", 5), 0);
}

TEST(Strings, TextToInt) {
  struct Case {
    const char* text;
    int value;
  };
  const Case cases[] = {
      {"42", 42}, {"size: 640px", 640}, {"-17,3", -17}, {"none", -1},
      {"", -1},   {"x-", -1},           {"0", 0},       {"99999999999", 2147483647}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(kumo::TextToInt(c.text), c.value);
  }
}

TEST(Strings, IntToText) {
  struct Case {
    int value, base;
    const char* text;
  };
  const Case cases[] = {{0, 10, "0"},
                        {255, 16, "ff"},
                        {-10, 2, "-1010"},
                        {35, 36, "z"},
                        {-2147483647 - 1, 10, "-2147483648"},
                        {5, 1, ""},
                        {5, 37, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    char text[34];
    kumo::IntToText(c.value, text, c.base);
    EXPECT_STREQ(text, c.text);
  }
}

TEST(Strings, DoubleByteTestLooksAtWhereCharactersStart) {
  const char* text =
      "a\x82\xa0\x83"
      "b";  // a, one double-byte character, then 0x83 0x62
  EXPECT_EQ(kumo::IsDoubleByteAt(text, 0), 0);
  EXPECT_EQ(kumo::IsDoubleByteAt(text, 1), 1);
  EXPECT_EQ(kumo::IsDoubleByteAt(text, 2), 0);  // a second byte, though in the lead range
  EXPECT_EQ(kumo::IsDoubleByteAt(text, 3), 1);
  EXPECT_EQ(kumo::IsDoubleByteAt("\xa0"
                                 "b",
                                 0),
            0);
  EXPECT_EQ(kumo::IsDoubleByteAt("\xa0"
                                 "b",
                                 0, CharacterSet::AllHighBytes),
            1);
}

}  // namespace
