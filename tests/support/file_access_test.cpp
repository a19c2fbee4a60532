#include "kumo/support/file_access.h"

#include <string>
#include <vector>

#include "kumo/support/log.h"
#include "tests/common/log_lines.h"
#include "tests/support/temp_dir_fixture.h"

namespace {

using kumo::Files;

class FileTableTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    kumo::LogSetDirectory(dir_.c_str());
    kumo::LogStart();
  }
  void TearDown() override {
    kumo::LogSetDirectory("");
    TempDirTest::TearDown();
  }
  std::string LogText() { return kumo::testing::ReadFileBytes(dir_ / "Log.txt"); }
};

TEST_F(FileTableTest, TheFiveHundredThirteenthOpenFailsAndAClosedSlotIsTakenAgain) {
  WriteFile("a.txt", "abc");
  std::vector<int> handles;
  for (int i = 0; i < kumo::kOpenFileSlots; ++i) {
    handles.push_back(Files().open("a.txt", 0, 1, 0));
    ASSERT_EQ(handles.back(), static_cast<int>(0xF0000000u | static_cast<unsigned>(i)));
  }
  EXPECT_EQ(Files().open("a.txt", 0, 1, 0), 0);
  EXPECT_NE(LogText().find("同時に開けるファイルの数が限界を超えました\r\n"), std::string::npos);

  EXPECT_EQ(Files().close(handles[100]), 0);
  EXPECT_EQ(Files().open("a.txt", 0, 1, 0), handles[100]);
  for (const int handle : handles) EXPECT_EQ(Files().close(handle), 0);
  EXPECT_EQ(kumo::OpenFileCount(), 0);
}

TEST_F(FileTableTest, HandlesAreLookedUpByTheirLowBitsAndEmptySlotsFail) {
  WriteFile("a.txt", "abc");
  const int handle = Files().open("a.txt", 0, 1, 0);
  char bytes[4];
  // The top four bits only mark a file handle.
  EXPECT_EQ(Files().tell(handle & 0x0FFFFFFF), 0);
  for (const int bad : {static_cast<int>(0xF0000001u), static_cast<int>(0xF0000000u | 512u),
                        static_cast<int>(0xFFFFFFFFu)}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(Files().close(bad), -1);
    EXPECT_EQ(Files().tell(bad), -1);
    EXPECT_EQ(Files().seek(bad, 0, 0), -1);
    EXPECT_EQ(Files().read(bytes, 1, 1, bad), -1);
    EXPECT_EQ(Files().eof(bad), -1);
    EXPECT_EQ(Files().isReady(bad), -1);
  }
  Files().close(handle);
}

TEST_F(FileTableTest, AMissingFileFailsWithoutAMessage) {
  const std::string before = LogText();
  EXPECT_EQ(Files().open("missing.txt", 0, 1, 0), 0);
  EXPECT_EQ(Files().open("missing.txt", 1, 1, 1), 0);
  EXPECT_EQ(kumo::OpenFileCount(), 0);
  EXPECT_EQ(LogText(), before);
}

// Reads count whole elements, never past the size, and mark the end once nothing is left.
TEST_F(FileTableTest, ReadsWholeElementsUpToTheEnd) {
  WriteFile("ten.bin", "0123456789");
  for (const int cacheFlag : {0, 1}) {
    SCOPED_TRACE(cacheFlag);
    const int handle = Files().open("ten.bin", cacheFlag, 1, 0);
    char bytes[16] = {};
    EXPECT_EQ(Files().read(bytes, 4, 3, handle), 2);
    EXPECT_EQ(std::string(bytes, 8), "01234567");
    EXPECT_EQ(Files().tell(handle), 8);
    EXPECT_EQ(Files().read(bytes, 4, 1, handle), 0);  // 2 bytes left: no whole element
    EXPECT_EQ(Files().eof(handle), -1);
    EXPECT_EQ(Files().seek(handle, -3, 2), 0);
    EXPECT_EQ(Files().eof(handle), 0);
    EXPECT_EQ(Files().read(bytes, 1, 5, handle), 3);
    EXPECT_EQ(std::string(bytes, 3), "789");
    EXPECT_EQ(Files().read(bytes, 0, 5, handle), 0);
    EXPECT_EQ(Files().read(bytes, 1, -5, handle), 0);
    Files().close(handle);
  }
}

}  // namespace
