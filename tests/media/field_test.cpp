// The committed battle field: a ground, walls at both edges, a slope and ledges a jump apart.
#include "game/field.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "kumo/kumo.h"
#include "kumo/support/log.h"
#include "tests/media/media_bytes.h"

namespace media_test {
namespace {

constexpr double kPi = 3.14159265358979;

struct Line {
  int x1, y1, x2, y2;
  double Angle() const { return std::atan2(y2 - y1, x2 - x1); }
  // The game's rule: steeper than 70 degrees, or written right to left, is a wall.
  bool IsWall() const { return 1.5707963 - std::fabs(Angle()) < 0.34906583; }
  double YAt(double x) const { return y1 + (y2 - y1) * (x - x1) / (x2 - x1); }
};

// The field file's lines; fails the test on any line that is not "x1,y1,x2,y2" ended by CR LF.
std::vector<Line> ReadField() {
  const Bytes bytes = ReadMedia("firstmap.txt");
  const std::string text(bytes.begin(), bytes.end());
  std::vector<Line> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "the last line has no CR LF";
      break;
    }
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a bare CR or LF in " << line;
    Line l{};
    int used = 0;
    EXPECT_EQ(std::sscanf(line.c_str(), "%d,%d,%d,%d%n", &l.x1, &l.y1, &l.x2, &l.y2, &used), 4)
        << line;
    EXPECT_EQ(used, static_cast<int>(line.size())) << "nothing after the four numbers: " << line;
    lines.push_back(l);
    start = end + 2;
  }
  return lines;
}

std::vector<Line> Floors(const std::vector<Line>& field) {
  std::vector<Line> floors;
  for (const Line& l : field) {
    if (!l.IsWall()) floors.push_back(l);
  }
  return floors;
}

// The lowest floor that runs across the whole screen.
const Line* Ground(const std::vector<Line>& floors) {
  const Line* ground = nullptr;
  for (const Line& f : floors) {
    if (f.x1 <= 0 && f.x2 >= 640 && f.y1 == f.y2 && (!ground || f.y1 > ground->y1)) ground = &f;
  }
  return ground;
}

TEST(MediaField, IsAtMost128LinesOfFourIntegersWithCrLf) {
  const std::vector<Line> field = ReadField();
  EXPECT_FALSE(field.empty());
  EXPECT_LE(field.size(), 128u);
}

TEST(MediaField, HasAGroundUnderEverythingAndWallsAtBothEdges) {
  const std::vector<Line> field = ReadField();
  const std::vector<Line> floors = Floors(field);
  const Line* ground = Ground(floors);
  ASSERT_NE(ground, nullptr) << "a level floor from x 0 to 640";
  EXPECT_GE(ground->y1, 400);
  EXPECT_LT(ground->y1, 480);
  for (const Line& f : floors) {
    EXPECT_LE(f.x1, f.x2) << "floors run left to right";
    EXPECT_LE(std::max(f.y1, f.y2), ground->y1) << "no floor below the ground";
  }

  // A wall near each edge, from the top of the screen down to the ground.
  bool left = false, right = false;
  for (const Line& w : field) {
    if (!w.IsWall()) continue;
    const bool spans = std::min(w.y1, w.y2) <= 0 && std::max(w.y1, w.y2) >= ground->y1;
    left |= spans && std::max(w.x1, w.x2) <= 24;
    right |= spans && std::min(w.x1, w.x2) >= 616;
  }
  EXPECT_TRUE(left);
  EXPECT_TRUE(right);
}

TEST(MediaField, HasASlopeOfAbout15Degrees) {
  const std::vector<Line> floors = Floors(ReadField());
  EXPECT_TRUE(std::any_of(floors.begin(), floors.end(), [](const Line& f) {
    return std::fabs(std::fabs(f.Angle()) * 180 / kPi - 15) < 2;
  }));
}

// The fighters start at (200, 40) and (400, 40) with body circles 8 px to either side at
// y + 26, and fall onto the first floor under them.
TEST(MediaField, BothFightersFallOntoTheSameHeight) {
  const std::vector<Line> floors = Floors(ReadField());
  auto landing = [&](int x) {
    double best = 1e9;
    for (const Line& f : floors) {
      for (int cx : {x - 8, x + 8}) {
        if (cx > f.x1 && cx < f.x2 && f.YAt(cx) > 40 + 26) best = std::min(best, f.YAt(cx));
      }
    }
    return best;
  };
  EXPECT_LT(landing(200), 480);
  EXPECT_EQ(landing(200), landing(400)) << "a fair start";
}

// A jump leaves a floor at 280 px/s upwards under 300 px/s^2 of gravity, keeping the walking
// speed (120 px/s, or none) it had; floors are felt only from above, so it lands where it comes
// down through one. Every floor must be reachable from the ground by such jumps.
TEST(MediaField, EveryFloorIsReachableFromTheGroundByJumping) {
  const std::vector<Line> floors = Floors(ReadField());
  const Line* ground = Ground(floors);
  ASSERT_NE(ground, nullptr);
  auto jumpable = [&](const Line& from, const Line& to) {
    for (int fx = from.x1; fx <= from.x2; fx += 4) {
      for (int walk : {-120, 0, 120}) {
        auto x = [&](double t) { return fx + walk * t; };
        auto above = [&](double t) {  // height over `to` at time t, if over it at all
          const double fy = from.YAt(fx) - 280 * t + 150 * t * t;
          return x(t) > to.x1 && x(t) < to.x2 ? to.YAt(x(t)) - fy : -1e9;
        };
        // From the top of the jump on, coming down through the floor.
        for (double t = 280.0 / 300; t < 3; t += 0.005) {
          if (above(t) > 0 && above(t + 0.005) <= 0 && above(t + 0.005) > -1e8) return true;
        }
      }
    }
    return false;
  };
  std::vector<bool> reached(floors.size(), false);
  reached[ground - floors.data()] = true;
  for (bool grew = true; grew;) {
    grew = false;
    for (size_t to = 0; to < floors.size(); ++to) {
      for (size_t from = 0; from < floors.size() && !reached[to]; ++from) {
        if (reached[from] && jumpable(floors[from], floors[to])) reached[to] = grew = true;
      }
    }
  }
  for (size_t i = 0; i < floors.size(); ++i) {
    EXPECT_TRUE(reached[i]) << floors[i].x1 << "," << floors[i].y1 << "," << floors[i].x2 << ","
                            << floors[i].y2;
  }
  EXPECT_GE(floors.size(), 4u) << "the ground and several ledges";
}

// The game's own reader, through the library's file table, takes the same segments and sorts
// them into the same floors and walls.
TEST(MediaField, TheGameReadsTheSameField) {
  char dir[] = "/tmp/kumo_media_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  ASSERT_EQ(kumo::LogSetDirectory(dir), 0);
  kumo::LogStart();
  game::Game() = game::GameState{};

  const std::string path = std::string(KUMO_SOURCE_DIR) + "/media/firstmap.txt";
  const int file = FileOpenForRead(path.c_str(), 0);
  ASSERT_NE(file, 0);
  EXPECT_EQ(game::LoadField(file), 0);
  const std::vector<Line> lines = ReadField();
  const game::Field& field = game::Game().field;
  ASSERT_EQ(field.count, static_cast<int>(lines.size()));
  for (int i = 0; i < field.count; ++i) {
    const game::Segment& s = field.segments[i];
    EXPECT_EQ(s.x1, lines[i].x1);
    EXPECT_EQ(s.y1, lines[i].y1);
    EXPECT_EQ(s.x2, lines[i].x2);
    EXPECT_EQ(s.y2, lines[i].y2);
    EXPECT_EQ(game::IsWall(s), lines[i].IsWall()) << "line " << i;
  }

  kumo::LogStart();
  kumo::LogSetDirectory("");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace media_test
