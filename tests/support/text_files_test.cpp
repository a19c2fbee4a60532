#include <string>
#include <vector>

#include "kumo/kumo.h"
#include "tests/support/temp_dir_fixture.h"

namespace {

// Every line FileReadLine gives for a file, with a buffer of `bufferSize` bytes; "<eof>" for the
// -1 that ends them.
std::vector<std::string> ReadLines(int handle, int bufferSize) {
  std::vector<std::string> lines;
  std::vector<char> buffer(static_cast<size_t>(bufferSize));
  for (int guard = 0; guard < 20; ++guard) {
    const int length = FileReadLine(buffer.data(), bufferSize, handle);
    if (length < 0) {
      lines.push_back("<eof>");
      break;
    }
    EXPECT_EQ(buffer[static_cast<size_t>(length)], '\0');
    lines.emplace_back(buffer.data(), static_cast<size_t>(length));
  }
  return lines;
}

using TextFileTest = TempDirTest;

TEST_F(TextFileTest, ReadsLinesShiftJisAware) {
  struct Case {
    const char* what;
    std::string bytes;
    int bufferSize;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"lines ended by CR LF, the last without",
       "0,400,640,400\r\n1,2,3,4\r\nlast",
       64,
       {"0,400,640,400", "1,2,3,4", "last", "<eof>"}},
      {"a line of exactly size - 1 bytes, then CR LF",
       "abcd\r\nnext",
       5,
       {"abcd", "", "next", "<eof>"}},
      {"a CR LF cut by the limit is read again", "abc\r\nxy", 5, {"abc", "", "xy", "<eof>"}},
      {"a double-byte character straddling the limit",
       "ab\x82\xa0"
       "cd\r\n",
       4,
       {"ab",
        "\x82\xa0"
        "c",
        "d", "<eof>"}},
      {"a double-byte character whose second byte is CR-like",
       "\x82\x0d\n\r\nz",
       64,
       {"\x82\x0d\n", "z", "<eof>"}},
      {"a lone LF is not a line end", "a\nb\r\nc", 64, {"a\nb", "c", "<eof>"}},
      {"a 0 byte ends the line; the rest of the bytes read are gone",
       std::string("ab\0cd\r\nef", 9),
       64,
       {"ab", "<eof>"}},
      {"a line longer than the buffer continues", "abcdefg\r\n", 4, {"abc", "def", "g", "<eof>"}},
      {"an empty file", "", 64, {"<eof>"}},
      {"a lead byte as the file's last byte", "ab\x82", 64, {"ab", "\x82", "<eof>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile("lines.txt", c.bytes);
    const int handle = FileOpenForRead("lines.txt", 0);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(ReadLines(handle, c.bufferSize), c.lines);
    EXPECT_EQ(FileCloseRead(handle), 0);
  }
}

TEST_F(TextFileTest, IsEofRightAfterTheLastLineWithOrWithoutCrLf) {
  for (const std::string bytes : {"one\r\ntwo\r\n", "one\r\ntwo"}) {
    SCOPED_TRACE(bytes);
    WriteFile("eof.txt", bytes);
    const int handle = FileOpenForRead("eof.txt", 0);
    char line[64];
    EXPECT_EQ(FileIsEof(handle), 0);
    EXPECT_EQ(FileReadLine(line, sizeof line, handle), 3);
    EXPECT_EQ(FileIsEof(handle), 0);
    EXPECT_EQ(FileReadLine(line, sizeof line, handle), 3);
    EXPECT_EQ(FileIsEof(handle), 1);
    FileCloseRead(handle);
  }
}

TEST_F(TextFileTest, AsynchronousFilesReadLinesToo) {
  WriteFile("async.txt", "first\r\nsecond\r\n");
  const int handle = FileOpenForRead("async.txt", 1);
  ASSERT_NE(handle, 0);
  EXPECT_EQ(ReadLines(handle, 64), (std::vector<std::string>{"first", "second", "<eof>"}));
  EXPECT_EQ(FileCloseRead(handle), 0);
}

TEST_F(TextFileTest, OperationsOnAClosedOrUnknownHandleFail) {
  WriteFile("x.txt", "x");
  const int handle = FileOpenForRead("x.txt", 0);
  ASSERT_EQ(FileCloseRead(handle), 0);
  char line[8];
  for (const int bad : {handle, 0, static_cast<int>(0xF0000000u | 512u), -1}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(FileCloseRead(bad), -1);
    EXPECT_EQ(FileIsEof(bad), -1);
    EXPECT_EQ(FileReadLine(line, sizeof line, bad), -1);
  }
  EXPECT_EQ(FileOpenForRead("missing.txt", 0), 0);
}

}  // namespace
