// The field read from real files through the library's file table.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/battle_reset.h"
#include "game/field.h"
#include "game/game_state.h"
#include "kumo/kumo.h"
#include "kumo/support/log.h"

namespace game {
namespace {

namespace fs = std::filesystem;

const std::string kTooManySegments =
    "フィールドの線分が多すぎます、１２８本目より後は読み込みません";

struct Points {
  float x1, y1, x2, y2;
  bool operator==(const Points& o) const {
    return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2;
  }
};

std::ostream& operator<<(std::ostream& out, const Points& p) {
  return out << p.x1 << "," << p.y1 << "," << p.x2 << "," << p.y2;
}

// The points of the segments the game holds now.
std::vector<Points> FieldPoints() {
  std::vector<Points> points;
  const Field& field = Game().field;
  for (int i = 0; i < field.count; ++i) {
    const Segment& s = field.segments[i];
    points.push_back({s.x1, s.y1, s.x2, s.y2});
  }
  return points;
}

// A fresh game in a temporary directory made current, with its log there.
class FieldFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = fs::current_path();
    char name[] = "/tmp/kumo_field_XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    fs::current_path(dir_);
    ASSERT_EQ(kumo::LogSetDirectory(dir_.c_str()), 0);
    kumo::LogStart();
    Game() = GameState{};
  }

  void TearDown() override {
    kumo::LogStart();
    kumo::LogSetDirectory("");
    fs::current_path(saved_);
    fs::remove_all(dir_);
  }

  void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories((dir_ / path).parent_path());
    std::ofstream(dir_ / path, std::ios::binary) << bytes;
  }

  // Reads `bytes` as a field file; LoadField's result.
  int LoadFieldFrom(const std::string& bytes) {
    WriteFile("field.txt", bytes);
    const int file = FileOpenForRead("field.txt", 0);
    EXPECT_NE(file, 0);
    const int result = LoadField(file);
    EXPECT_EQ(FileCloseRead(file), -1) << "the field reader closes its file";
    return result;
  }

  int LogCount(const std::string& text) const {
    std::ifstream file(dir_ / "Log.txt", std::ios::binary);
    const std::string log(std::istreambuf_iterator<char>(file), {});
    int count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
    return count;
  }

  fs::path dir_;
  fs::path saved_;
};

TEST_F(FieldFileTest, ReadsOneSegmentPerLine) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<Points> field;
  };
  const Case cases[] = {
      {"an empty file", "", {}},
      {"two lines",
       "0,400,640,400\r\n100,100,100,300\r\n",
       {{0, 400, 640, 400}, {100, 100, 100, 300}}},
      {"a last line without CR LF",
       "0,400,640,400\r\n-5,7,12,-30",
       {{0, 400, 640, 400}, {-5, 7, 12, -30}}},
      {"an empty last line repeats the segment before it",
       "0,400,640,400\r\n100,100,100,300\r\n\r\n",
       {{0, 400, 640, 400}, {100, 100, 100, 300}, {100, 100, 100, 300}}},
      {"short lines keep the values they do not give, from zeros",
       "5\r\n1,2,3,4\r\n7,8\r\nx\r\n",
       {{5, 0, 0, 0}, {1, 2, 3, 4}, {7, 8, 3, 4}, {7, 8, 3, 4}}},
  };
  // One game for every case: each read refills the field from its start.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LoadFieldFrom(c.bytes), 0);
    EXPECT_EQ(FieldPoints(), c.field);
  }
  // The last case's second line: the reader gives each segment its angle.
  EXPECT_EQ(Game().field.segments[1].angle, FieldSegment(1, 2, 3, 4).angle);
  EXPECT_EQ(LogCount(kTooManySegments), 0);
}

TEST_F(FieldFileTest, KeepsTheFirst128SegmentsOfALongerFileAndSaysSoOnce) {
  std::string bytes;
  for (int line = 1; line <= 200; ++line) bytes += "0," + std::to_string(line) + ",640,400\r\n";
  EXPECT_EQ(LoadFieldFrom(bytes), 0);
  ASSERT_EQ(Game().field.count, 128);
  EXPECT_EQ(Game().field.segments[127].y1, 128);
  EXPECT_EQ(LogCount(kTooManySegments), 1);

  // Exactly 128 lines fit without a word.
  bytes.resize(bytes.find("0,129,"));
  kumo::LogStart();
  EXPECT_EQ(LoadFieldFrom(bytes), 0);
  EXPECT_EQ(Game().field.count, 128);
  EXPECT_EQ(LogCount(kTooManySegments), 0);
}

TEST_F(FieldFileTest, ResetBattleReadsTheFieldFromTheMediaFolder) {
  WriteFile("media/firstmap.txt", "0,400,640,400\r\n600,0,600,480\r\n");
  ResetBattle();
  EXPECT_EQ(FieldPoints(), (std::vector<Points>{{0, 400, 640, 400}, {600, 0, 600, 480}}));
  EXPECT_TRUE(IsWall(Game().field.segments[1]));
}

}  // namespace
}  // namespace game
