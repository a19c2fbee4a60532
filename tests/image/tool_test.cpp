// kumo-tool run as a program on fixtures, as a person would run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/image/magick_fixture.h"

namespace {

struct ToolRun {
  int status;
  std::string out, err;
};

class KumoTool : public MagickTest {
 protected:
  ToolRun Tool(const std::string& arguments) const {
    const std::string command =
        "cd '" + dir_.string() + "' && '" KUMO_TOOL_PATH "' " + arguments + " >tool.out 2>tool.err";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read("tool.out"), Read("tool.err")};
  }

  // A picture made by ImageMagick from a source of `channels` samples a pixel; `write` is the
  // rest of its command line (options and the output file).
  void Picture(const std::string& write, int channels, int width = 5, int height = 3) const {
    WritePam("source.pam", width, height, channels, false,
             [channels](int x, int y, int c) { return Scatter(x + channels, y, c, 256); });
    Magick("source.pam " + write);
  }
};

TEST_F(KumoTool, InfoNamesTheDecoderSizePitchAndFormat) {
  Picture("-define png:color-type=6 picture.png", 4);
  Picture("-colorspace Gray picture.jpg", 3);
  struct Case {
    const char* file;
    const char* out;
  };
  const Case cases[] = {
      {"picture.png",
       "decoder: PNG\nwidth: 5\nheight: 3\npitch: 20\nformat: 32 bits per pixel (4 bytes); "
       "red 0x00ff0000 green 0x0000ff00 blue 0x000000ff alpha 0xff000000 pad 0x00000000\n"},
      {"picture.jpg",
       "decoder: JPEG\nwidth: 5\nheight: 3\npitch: 5\nformat: 8 bits per pixel (1 byte); "
       "red 0x00ff0000 green 0x0000ff00 blue 0x000000ff alpha 0x00000000 pad 0xff000000\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const ToolRun run = Tool(std::string("info ") + c.file);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, c.out);
  }
}

TEST_F(KumoTool, DecodeWritesRgbaWithTheAlphaFileAsTheLoaderTakesIt) {
  enum AlphaFrom { kOpaque, kOwnAlpha, kAlphaFileRed };
  struct Case {
    const char* name;
    const char* write;  // ImageMagick's options for the picture
    const char* file;
    int channels;
    const char* alphaWrite;  // and for its alpha file, when there is one
    const char* alphaFile;
    int alphaChannels;
    AlphaFrom alphaFrom;
  };
  const Case cases[] = {
      {"RGB alone", "-define png:color-type=2", "pic.png", 3, "", nullptr, 0, kOpaque},
      {"RGB with a grey alpha file", "-define png:color-type=2", "pic.png", 3,
       "-define png:color-type=0", "pic_a.png", 1, kAlphaFileRed},
      {"RGB with a colour alpha file", "-define png:color-type=2", "pic.png", 3,
       "-define png:color-type=2", "pic_a.png", 3, kAlphaFileRed},
      {"palette with a palette alpha file", "-type Palette", "pic.png", 3, "-type Palette",
       "pic_a.png", 3, kAlphaFileRed},
      {"JPEG with a JPEG alpha file", "", "pic.jpg", 3, "-colorspace Gray", "pic_a.jpg", 3,
       kAlphaFileRed},
      {"RGBA keeps its own alpha", "-define png:color-type=6", "pic.png", 4,
       "-define png:color-type=0", "pic_a.png", 1, kOwnAlpha},
      // Its second byte is no channel of the format, so the loader draws it opaque.
      {"grey with alpha is opaque", "-define png:color-type=4", "pic.png", 2, "", nullptr, 0,
       kOpaque},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* stale : {"pic_a.png", "pic_a.jpg"}) std::filesystem::remove(Path(stale));
    Picture(std::string(c.write) + " " + c.file, c.channels);
    if (c.alphaFile != nullptr)
      Picture(std::string(c.alphaWrite) + " " + c.alphaFile, c.alphaChannels);

    const ToolRun run = Tool(std::string("decode ") + c.file + " out.png");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<uint8_t> out = MagickRgba("out.png");
    const std::vector<uint8_t> picture = MagickRgba(c.file);
    const std::vector<uint8_t> alpha =
        c.alphaFile == nullptr ? std::vector<uint8_t>() : MagickRgba(c.alphaFile);
    ASSERT_EQ(out.size(), picture.size());
    for (size_t i = 0; i < out.size(); i += 4) {
      SCOPED_TRACE(i / 4);
      // Exact for JPEG as well: ImageMagick decodes it with the same libjpeg.
      EXPECT_EQ(std::vector<uint8_t>(out.begin() + i, out.begin() + i + 3),
                std::vector<uint8_t>(picture.begin() + i, picture.begin() + i + 3));
      const uint8_t expected = c.alphaFrom == kOpaque     ? 255
                               : c.alphaFrom == kOwnAlpha ? picture[i + 3]
                                                          : alpha[i];
      EXPECT_EQ(out[i + 3], expected);
    }
  }
}

std::string Le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

// A one-line DDS surface described by its RGB masks, holding `pixels` (little-endian values).
std::string Dds(int bits, const std::array<uint32_t, 4>& masks,
                const std::vector<uint32_t>& pixels) {
  std::string description(124, '\0');
  description.replace(0, 4, Le32(124));
  description.replace(8, 4, Le32(1));
  description.replace(12, 4, Le32(static_cast<uint32_t>(pixels.size())));
  std::string format = Le32(32) + Le32(0x40) + Le32(0) + Le32(static_cast<uint32_t>(bits));
  for (const uint32_t mask : masks) format += Le32(mask);
  description.replace(72, 32, format);
  std::string data;
  for (const uint32_t pixel : pixels) data += Le32(pixel).substr(0, static_cast<size_t>(bits / 8));
  return "DDS " + description + data;
}

// Channels narrower than 8 bits are scaled so that full stays full; wider ones lose low bits.
TEST_F(KumoTool, DecodeScalesChannelsAsTheLoaderDoes) {
  struct Case {
    const char* name;
    std::string file;
    std::vector<uint8_t> rgba;
  };
  const Case cases[] = {
      {"R5G6B5",
       Dds(16, {0xF800, 0x07E0, 0x001F, 0}, {0x8410, 0xFFFF, 0x0821}),
       {131, 129, 131, 255, 255, 255, 255, 255, 8, 4, 8, 255}},
      {"A2R10G10B10",
       Dds(32, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}, {0x7FF00200 | 4 << 10}),
       {255, 1, 128, 85}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write("pic.dds", c.file);
    const ToolRun run = Tool("decode pic.dds out.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(MagickRgba("out.png"), c.rgba);
  }
}

TEST_F(KumoTool, FailuresExitWithOneLineReason) {
  Picture("pic.png", 3);
  Picture("pic_a.png", 1, 4, 3);
  Write("notes.txt", "not a picture\n");
  struct Case {
    const char* arguments;
    int status;
    const char* err;
  };
  const Case cases[] = {
      {"info notes.txt", 1, "kumo-tool: no decoder takes notes.txt\n"},
      {"decode notes.txt out.png", 1, "kumo-tool: no decoder takes notes.txt\n"},
      {"info missing.png", 1, "kumo-tool: cannot open missing.png\n"},
      {"decode pic.png out.png", 1, "kumo-tool: pic_a.png differs in size from pic.png\n"},
      {"decode pic_a.png no/such/dir/out.png", 1, "kumo-tool: cannot write no/such/dir/out.png\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const ToolRun run = Tool(c.arguments);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(Path("out.png")));
}

}  // namespace
