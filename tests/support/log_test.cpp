#include "kumo/support/log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "kumo/core/system_record.h"
#include "kumo/platform/clock.h"
#include "log_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string Repeat(const std::string& piece, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += piece;
  return result;
}

TEST_F(LogFileTest, WritesEachLineFeedAsCrLfUntilOneAlreadyHasItsCr) {
  struct Case {
    const char* what;
    std::string text;
    std::string written;
  };
  const Case cases[] = {
      {"one line", "abc\n", "abc\r\n"},
      {"two lines", "a\nb\n", "a\r\nb\r\n"},
      {"stops at a CR LF", "a\r\nb\nc", "a\r\nb\nc"},
      {"line feed first", "\nabc\n", "\r\nabc\r\n"},
      {"300 line feeds", std::string(300, '\n'), Repeat("\r\n", 300)},
      {"lead byte takes the line feed", "\x81\nx\n", "\x81\nx\r\n"},
      {"lead byte last", "ab\x81", "ab\x81"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kumo::LogStart();
    // An exactly sized copy, so that a scan past the terminator is caught.
    std::vector<char> text(c.text.begin(), c.text.end());
    text.push_back('\0');
    EXPECT_EQ(kumo::LogWrite(text.data()), -1);
    EXPECT_EQ(LogText(), "0:" + c.written);
  }
}

TEST_F(LogFileTest, PrefixesEachLineWithItsTimeAndTabs) {
  kumo::LogWrite("start\n");
  kumo::platform::SleepMillis(1523);
  EXPECT_EQ(kumo::LogTabIn(), 0);
  kumo::LogTabIn();
  kumo::LogWrite("nested\n");
  EXPECT_EQ(kumo::LogTabOut(), 0);
  kumo::LogWrite("one\n");
  kumo::LogTabOut();
  kumo::LogWrite("back\n");
  EXPECT_EQ(LogText(), "0:start\r\n1523:\t\tnested\r\n1523:\tone\r\n1523:back\r\n");
}

TEST_F(LogFileTest, TabOutAtLevelZeroStaysAtZero) {
  kumo::LogTabOut();
  kumo::LogTabIn();
  kumo::LogWrite("one tab\n");
  kumo::LogTabOut();
  EXPECT_EQ(LogText(), "0:\tone tab\r\n");
}

TEST_F(LogFileTest, TextWithoutLineFeedIsContinuedByTheNext) {
  kumo::LogTabIn();
  kumo::LogWrite("mem alloc  ");
  kumo::platform::SleepMillis(7);
  kumo::LogWrite("\tsize:3(0.003kb)  file:  line:0  ID:0  data:<abc> [61 62 63]\n");
  kumo::LogWrite("next\n");
  kumo::LogTabOut();
  EXPECT_EQ(LogText(),
            "0:\tmem alloc  \tsize:3(0.003kb)  file:  line:0  ID:0  data:<abc> [61 62 63]\r\n"
            "7:\tnext\r\n");
}

TEST_F(LogFileTest, KeepsJapaneseTextAsShiftJisBytes) {
  kumo::LogWrite("ログ\n");
  EXPECT_EQ(LogText(), "0:\x83\x8d\x83\x4f\r\n");
}

// Each way a text can miss the file: it is dropped, the current directory stays as it was,
// and the next text still starts its own line.
TEST_F(LogFileTest, TextThatCannotReachTheFileIsDropped) {
  struct Case {
    const char* what;
    std::function<void()> lose;
    std::function<void()> mend;
  };
  const std::string dir = dir_.string();
  const Case cases[] = {
      {"log not started",
       [&] {
         fs::remove(LogPath());
         kumo::LogSetDirectory("");
       },
       [&] { kumo::LogSetDirectory(dir.c_str()); }},
      {"log file cannot be opened",
       [&] {
         fs::remove(LogPath());
         fs::create_directory(LogPath());
       },
       [&] { fs::remove(LogPath()); }},
      {"log directory gone", [&] { kumo::LogSetDirectory((dir + "/gone").c_str()); },
       [&] { kumo::LogSetDirectory(dir.c_str()); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kumo::LogStart();
    c.lose();
    kumo::LogWrite("lost");
    kumo::LogWriteFormat("lost too");
    EXPECT_EQ(fs::current_path(), dir_);
    c.mend();
    EXPECT_EQ(LogText(), "");
    kumo::LogWrite("kept\n");
    EXPECT_EQ(LogText(), "0:kept\r\n");
  }
}

TEST_F(LogFileTest, WritesInTheLogDirectoryAndComesBack) {
  const fs::path elsewhere = dir_ / "elsewhere";
  fs::create_directory(elsewhere);
  fs::current_path(elsewhere);
  kumo::LogWrite("here\n");
  EXPECT_EQ(fs::current_path(), elsewhere);
  EXPECT_FALSE(fs::exists(elsewhere / "Log.txt"));
  EXPECT_EQ(LogText(), "0:here\r\n");
  fs::current_path(dir_);
}

TEST_F(LogFileTest, LogStartBeginsAnEmptyFile) {
  kumo::LogWrite("old\n");
  kumo::platform::SleepMillis(40);
  kumo::LogTabIn();
  kumo::LogWrite("open line");
  EXPECT_EQ(kumo::LogStart(), 1);
  EXPECT_EQ(LogText(), "");
  kumo::LogWrite("new\n");
  EXPECT_EQ(LogText(), "0:new\r\n");
}

TEST_F(LogFileTest, FormatAppendsALineFeed) {
  EXPECT_EQ(kumo::LogWriteFormat("%d items of %s", 42, "x"), -1);
  EXPECT_EQ(LogText(), "0:42 items of x\r\n");
}

TEST_F(LogFileTest, FormatCutsATooLongTextSoThatItsLineFeedFits) {
  struct Case {
    const char* what;
    std::string text;
    std::string kept;
  };
  const Case cases[] = {
      {"single bytes", std::string(2000, 'a'), std::string(1022, 'a')},
      {"split double-byte character", std::string(1021, 'a') + "ロ", std::string(1021, 'a')},
      {"double-byte character that fits", std::string(1020, 'a') + "ロ",
       std::string(1020, 'a') + "ロ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kumo::LogStart();
    kumo::LogWriteFormat("%s", c.text.c_str());
    EXPECT_EQ(LogText(), "0:" + c.kept + "\r\n");
  }
}

TEST_F(LogFileTest, DirectoryThatDoesNotFitLeavesTheLogNotStarted) {
  const std::string tooLong(256, 'd');
  EXPECT_EQ(kumo::LogSetDirectory(tooLong.c_str()), -1);
  kumo::LogWrite("lost\n");
  EXPECT_EQ(LogText(), "");
}

TEST(ScreenLogTest, StartsOnlyOnceThereIsAWindow) {
  ASSERT_EQ(kumo::System().window, nullptr);
  EXPECT_EQ(kumo::ScreenLogStart(), -1);

  int standIn = 0;
  kumo::System().window = reinterpret_cast<kumo::platform::Window*>(&standIn);
  EXPECT_EQ(kumo::ScreenLogStart(), 0);
  EXPECT_EQ(kumo::ScreenLogStart(), 0);
  EXPECT_EQ(kumo::ScreenLogEnd(), 0);
  kumo::System().window = nullptr;
}

}  // namespace
