#include "kumo/support/disk_file.h"

#include <dirent.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "kumo/platform/files.h"
#include "kumo/support/file_access.h"
#include "tests/common/eventually.h"
#include "tests/support/temp_dir_fixture.h"

namespace {

using kumo::Files;
using kumo::testing::Eventually;

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

int ThreadCount() {
  int count = 0;
  DIR* tasks = opendir("/proc/self/task");
  while (const dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.' ? 1 : 0;
  closedir(tasks);
  return count;
}

using ReadingThreadTest = TempDirTest;

// Reading forward from the cache asks the disk for every byte once.
TEST_F(ReadingThreadTest, CachedForwardReadsReadEachByteFromDiskOnce) {
  const std::string content = Pattern(300000);
  WriteFile("big.bin", content);
  const int handle = Files().open("big.bin", 1, 1, 0);
  ASSERT_NE(handle, 0);
  const kumo::platform::FileReadCounters before = kumo::platform::ReadCounters();
  // Idle for a while: the thread fills its cache.
  ASSERT_TRUE(Eventually(
      [&] { return kumo::platform::ReadCounters().bytes - before.bytes >= kumo::kDiskCacheSize; }));

  std::string read(content.size(), '\0');
  int chunks = 0;
  for (size_t at = 0; at < content.size(); at += 10000, ++chunks) {
    ASSERT_EQ(Files().read(&read[at], 1, 10000, handle), 10000);
  }
  EXPECT_EQ(read, content);
  const kumo::platform::FileReadCounters after = kumo::platform::ReadCounters();
  EXPECT_EQ(after.bytes - before.bytes, content.size());
  EXPECT_LT(after.reads - before.reads, static_cast<uint64_t>(chunks));
  Files().close(handle);
}

TEST_F(ReadingThreadTest, AsynchronousReadAdvancesAtOnceAndIsReadyOnceTheBytesAreThere) {
  const std::string content = Pattern(200000);
  WriteFile("async.bin", content);
  const int handle = Files().open("async.bin", 0, 1, 1);
  ASSERT_NE(handle, 0);
  std::string read(content.size(), '\0');
  EXPECT_EQ(Files().read(&read[0], 2, 100000, handle), 100000);
  EXPECT_EQ(Files().tell(handle), 200000);  // whether or not the bytes have arrived
  ASSERT_TRUE(Eventually([&] { return Files().isReady(handle) == 1; }));
  EXPECT_EQ(read, content);
  Files().close(handle);
}

TEST_F(ReadingThreadTest, SeekThenReadGivesTheBytesThere) {
  const std::string content = Pattern(150000);
  WriteFile("seek.bin", content);
  for (const int cacheFlag : {0, 1}) {
    SCOPED_TRACE(cacheFlag);
    const int handle = Files().open("seek.bin", cacheFlag, 1, 1);
    char bytes[64];
    for (const int position : {140000, 5, 131072, 0, 149990}) {
      ASSERT_EQ(Files().seek(handle, position, 0), 0);
      const int wanted = position == 149990 ? 10 : 64;
      ASSERT_EQ(Files().read(bytes, 1, 64, handle), wanted);
      kumo::WaitUntilFileReady(handle);
      EXPECT_EQ(std::string(bytes, static_cast<size_t>(wanted)),
                content.substr(static_cast<size_t>(position), static_cast<size_t>(wanted)));
    }
    Files().close(handle);
  }
}

TEST_F(ReadingThreadTest, ClosingEndsTheThread) {
  WriteFile("small.bin", "abc");
  const int handle = Files().open("small.bin", 1, 1, 1);
  // Measured while open: a sanitizer may start a thread of its own with the first one.
  const int whileOpen = ThreadCount();
  EXPECT_EQ(Files().close(handle), 0);
  EXPECT_EQ(ThreadCount(), whileOpen - 1);
}

// The reading thread holds its file exclusively, as the original file system's sharing rules
// say; a second reader is refused until it closes.
TEST_F(ReadingThreadTest, AThreadedFileIsHeldExclusively) {
  WriteFile("shared.bin", "abc");
  const int direct = Files().open("shared.bin", 0, 1, 0);
  const int second = Files().open("shared.bin", 0, 1, 0);
  EXPECT_NE(second, 0);  // direct readers share
  EXPECT_EQ(Files().open("shared.bin", 0, 1, 1), 0);
  Files().close(direct);
  Files().close(second);
  const int threaded = Files().open("shared.bin", 0, 1, 1);
  EXPECT_NE(threaded, 0);
  EXPECT_EQ(Files().open("shared.bin", 0, 1, 0), 0);
  Files().close(threaded);
}

}  // namespace
