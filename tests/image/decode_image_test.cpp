#include <gtest/gtest.h>

#include <string>

#include "kumo/support/file_access.h"
#include "kumo/support/streams.h"
#include "kumo/support/tracked_memory.h"
#include "tests/image/decoder_fixture.h"
#include "tests/support/temp_dir_fixture.h"

namespace kumo::decoder_test {
namespace {

using DecodeImageFileTest = TempDirTest;

TEST_F(DecodeImageFileTest, ReadsThroughAFileStream) {
  Magick magick;
  // A TGA has no magic: every decoder before its own is tried on the file first.
  const Bytes file = magick.Write("-type TrueColorAlpha -compress RLE", "TGA");
  WriteFile("picture.tga", std::string(file.begin(), file.end()));
  const int live = TrackedMemory().count;
  const int handle = Files().open("picture.tga", 0, 1, 0);
  ASSERT_NE(handle, 0);
  const StreamSource source{&GetFileStreamOps(), FileStreamData(handle)};
  GraphImage image{};
  const char* name = nullptr;
  ASSERT_EQ(DecodeImage(source, &image, &name), 0);
  EXPECT_STREQ(name, "TGA");
  ExpectPixelsMatch(image, magick.Read(file, "TGA"));
  ReleaseGraphImage(&image);
  source.ops->close(source.data);
  EXPECT_EQ(TrackedMemory().count, live);
}

TEST(DecodeImage, TextIsNoImage) {
  const std::string text = "10,20,30,40\r\n50,60,70,80\r\n";
  EXPECT_EQ(Decode(Bytes(text.begin(), text.end())).result, -1);
  EXPECT_EQ(Decode({}).result, -1);
}

}  // namespace
}  // namespace kumo::decoder_test
