#include "kumo/platform/files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace kumo::platform {
namespace {

class NativePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kumo-files-XXXXXX";
    root_ = mkdtemp(pattern);
    mkdir((root_ + "/Media").c_str(), 0755);
    mkdir((root_ + "/Media/chara").c_str(), 0755);
    std::ofstream(root_ + "/Media/chara/Yusya.PNG") << "x";
  }
  void TearDown() override { system(("rm -rf " + root_).c_str()); }
  std::string root_;
};

TEST_F(NativePathTest, MapsSeparatorsAndMatchesCaseLikeTheOriginalFileSystems) {
  struct Case {
    std::string given, expected;
  };
  const Case cases[] = {
      {"\\Media\\chara\\Yusya.PNG", "/Media/chara/Yusya.PNG"},   // exact
      {"\\media\\CHARA\\yusya.png", "/Media/chara/Yusya.PNG"},   // case differs at every level
      {"/media/chara/missing.png", "/Media/chara/missing.png"},  // the missing name kept as given
      {"\\media\\", "/Media/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.given);
    EXPECT_EQ(NativePath((root_ + c.given).c_str()), root_ + c.expected);
  }
}

TEST_F(NativePathTest, RelativePathsResolveFromTheCurrentDirectory) {
  char saved[4096];
  ASSERT_NE(GetCurrentDir(saved, sizeof saved), 0u);
  ASSERT_TRUE(SetCurrentDir(root_.c_str()));
  EXPECT_EQ(NativePath("media\\chara\\YUSYA.png"), "Media/chara/Yusya.PNG");
  ASSERT_TRUE(SetCurrentDir(saved));
}

// The second byte of a double-byte character may be 0x5C; it is not a separator.
TEST(NativePath, KeepsTheSecondByteOfADoubleByteCharacter) {
  EXPECT_EQ(NativePath("/no-such-dir/\x83\x5C\\a"), "/no-such-dir/\x83\x5C/a");
  EXPECT_EQ(NativePath("x\x83"), "x\x83");  // a lead byte at the end stays as it is
}

TEST(CurrentDir, ReportsZeroWhenTheBufferIsTooSmall) {
  char tiny[2];
  EXPECT_EQ(GetCurrentDir(tiny, sizeof tiny), 0u);
}

}  // namespace
}  // namespace kumo::platform
