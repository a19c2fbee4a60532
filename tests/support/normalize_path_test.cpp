#include "kumo/support/normalize_path.h"

#include <string>
#include <vector>

#include "kumo/platform/files.h"
#include "kumo/support/archive_lookup.h"
#include "tests/support/temp_dir_fixture.h"

namespace {

std::vector<std::string> gCandidates;
std::string gArchiveThatExists;

// Stands in for the archive table: records every candidate and opens only the one that exists.
int RecordCandidate(const char* archivePath) {
  gCandidates.push_back(archivePath);
  return archivePath == gArchiveThatExists ? 7 : -1;
}

class NormalizePathTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    std::filesystem::create_directories(dir_ / "game" / "media");
    std::filesystem::current_path(dir_ / "game");
    // The current directory, as the normal form shows it.
    char buffer[kumo::kNormalizedPathSize];
    ASSERT_EQ(kumo::NormalizePath(".", buffer, sizeof buffer), 0);
    here_ = buffer;
    gCandidates.clear();
    gArchiveThatExists.clear();
    kumo::ForgetFoundArchive();
  }
  std::string Normal(const char* path) {
    char buffer[kumo::kNormalizedPathSize];
    EXPECT_EQ(kumo::NormalizePath(path, buffer, sizeof buffer), 0);
    return buffer;
  }
  std::string here_;
};

TEST_F(NormalizePathTest, GivesTheAbsoluteUpperCasedForm) {
  // The temporary directory's own form, e.g. "\TMP\KUMO_FILES_AB12CD\GAME".
  EXPECT_EQ(here_.substr(here_.size() - 5), "\\GAME");
  EXPECT_EQ(here_[0], '\\');
  const std::string parent = here_.substr(0, here_.size() - 5);
  struct Case {
    const char* path;
    std::string normal;
  };
  const Case cases[] = {
      {"media\\chara\\yusya.png", here_ + "\\MEDIA\\CHARA\\YUSYA.PNG"},
      {"media/./chara/../x.png", here_ + "\\MEDIA\\X.PNG"},
      {"..\\other\\a.txt", parent + "\\OTHER\\A.TXT"},
      {"/usr/share/X.txt", "\\USR\\SHARE\\X.TXT"},
      {"/usr/../../../a", "\\A"},  // never above the root
      {"\\\\server\\share\\f", "\\\\SERVER\\SHARE\\F"},
      {"\\\\server\\..\\..\\f", "\\\\F"},
      {"c:\\game\\a.png", "C:\\GAME\\A.PNG"},
      {"\x83\x5c\\a", here_ + "\\\x83\x5c\\A"},  // a double-byte character ending in 0x5C
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(Normal(c.path), c.normal);
  }
}

TEST_F(NormalizePathTest, FailsWhenTheResultDoesNotFit) {
  char small[8];
  EXPECT_EQ(kumo::NormalizePath("media\\x.png", small, sizeof small), -1);
}

TEST_F(NormalizePathTest, ArchiveCandidatesAreEveryDirectoryOnThePath) {
  struct Case {
    const char* path;
    std::vector<std::string> candidates;
  };
  const Case cases[] = {
      {"C:\\GAME\\MEDIA\\PIC.PNG", {"C:.KUMOA", "C:\\GAME.KUMOA", "C:\\GAME\\MEDIA.KUMOA"}},
      {"\\WORK\\MEDIA\\PIC.PNG", {"\\WORK.KUMOA", "\\WORK\\MEDIA.KUMOA"}},
      {"\\\\SERVER\\SHARE\\PIC.PNG", {"\\\\SERVER.KUMOA", "\\\\SERVER\\SHARE.KUMOA"}},
      {"\\PIC.PNG", {}},
      {"\\A\\\\B\\PIC.PNG", {"\\A.KUMOA"}},  // an empty component ends the walk
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    gCandidates.clear();
    const kumo::ArchiveLookup lookup = kumo::LookUpArchive(c.path, RecordCandidate);
    EXPECT_EQ(lookup.archive, -1);
    EXPECT_EQ(gCandidates, c.candidates);
  }
}

TEST_F(NormalizePathTest, AFoundArchiveGivesTheMemberPathAndIsTriedFirstNextTime) {
  const std::string file = Normal("media\\chara\\yusya.png");
  gArchiveThatExists = here_ + "\\MEDIA.KUMOA";
  kumo::ArchiveLookup lookup = kumo::LookUpArchive(file.c_str(), RecordCandidate);
  EXPECT_EQ(lookup.archive, 7);
  EXPECT_STREQ(lookup.member, "CHARA\\YUSYA.PNG");

  gCandidates.clear();
  const std::string sibling = Normal("media\\back.png");
  lookup = kumo::LookUpArchive(sibling.c_str(), RecordCandidate);
  EXPECT_EQ(lookup.archive, 7);
  EXPECT_STREQ(lookup.member, "BACK.PNG");
  EXPECT_TRUE(gCandidates.empty());
}

// The normal form names files in upper case; the platform finds them in the case they have.
TEST_F(NormalizePathTest, UpperCasedPathsResolveAgainstALowerCaseTree) {
  WriteFile("game/media/chara/yusya.png", "png");
  const std::string native = kumo::platform::NativePath("MEDIA\\CHARA\\YUSYA.PNG");
  EXPECT_EQ(native, "media/chara/yusya.png");
  const int handle = kumo::Files().open("MEDIA\\CHARA\\YUSYA.PNG", 0, 1, 0);
  EXPECT_NE(handle, 0);
  kumo::Files().close(handle);
}

}  // namespace
