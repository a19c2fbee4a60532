#include "kumo/support/streams.h"

#include <gtest/gtest.h>

#include <string>

#include "kumo/support/file_access.h"
#include "tests/support/temp_dir_fixture.h"

namespace {

using kumo::GetMemStreamOps;
using kumo::MemStreamOpen;

TEST(MemStream, ReadsWholeElementsThenTheRestAsOneThenNothing) {
  const char bytes[] = "0123456789";
  kumo::MemStream* stream = MemStreamOpen(bytes, 10);
  ASSERT_NE(stream, nullptr);
  const kumo::StreamOps& ops = GetMemStreamOps();
  char out[12] = {};
  EXPECT_EQ(ops.read(out, 4, 3, stream), 2);
  EXPECT_EQ(std::string(out, 8), "01234567");
  EXPECT_EQ(ops.eof(stream), 0);
  EXPECT_EQ(ops.read(out, 4, 3, stream), 1);
  EXPECT_EQ(std::string(out, 2), "89");
  EXPECT_EQ(ops.tell(stream), 10);
  EXPECT_EQ(ops.read(out, 4, 3, stream), 0);
  EXPECT_NE(ops.eof(stream), 0);
  EXPECT_EQ(ops.isReady(stream), 1);
  EXPECT_EQ(ops.close(stream), 0);
}

TEST(MemStream, SeeksAreClampedToTheBlock) {
  const char bytes[] = "0123456789";
  kumo::MemStream* stream = MemStreamOpen(bytes, 10);
  const kumo::StreamOps& ops = GetMemStreamOps();
  struct Case {
    int offset, origin, position;
  };
  const Case cases[] = {{-5, 0, 0},  {15, 0, 10}, {4, 0, 4}, {3, 1, 7},
                        {-20, 1, 0}, {-2, 2, 8},  {5, 2, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    EXPECT_EQ(ops.seek(stream, c.offset, c.origin), 0);
    EXPECT_EQ(ops.tell(stream), c.position);
    EXPECT_EQ(ops.eof(stream), 0);
  }
  ops.close(stream);
}

using FileStreamTest = TempDirTest;

TEST_F(FileStreamTest, ForwardsToTheFileOperations) {
  WriteFile("s.bin", "abcdef");
  const int handle = kumo::Files().open("s.bin", 0, 1, 0);
  void* data = kumo::FileStreamData(handle);
  const kumo::StreamOps& ops = kumo::GetFileStreamOps();
  char out[4] = {};
  EXPECT_EQ(ops.seek(data, 2, 0), 0);
  EXPECT_EQ(ops.read(out, 2, 2, data), 2);
  EXPECT_EQ(std::string(out, 4), "cdef");
  EXPECT_EQ(ops.tell(data), 6);
  EXPECT_EQ(ops.isReady(data), 1);
  EXPECT_EQ(ops.close(data), 0);
  EXPECT_EQ(kumo::OpenFileCount(), 0);
}

}  // namespace
