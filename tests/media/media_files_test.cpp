// Every picture and sound the game loads is in the media folder, in a form its decoders read.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "tests/media/media_bytes.h"

namespace media_test {
namespace {

TEST(MediaFolder, HoldsEveryFileTheGameLoadsAndStaysSmall) {
  const char* names[] = {
      "chara/yusya.png", "chara/yusya2.png", "weapon01.bmp", "bullet01.bmp", "opening.png",
      "clash01.bmp",     "hit01.bmp",        "chara/1p.png", "chara/2p.png", "sentou1.mp3",
      "power33.wav",     "fire.mp3",         "hit_p07.wav",  "slash.mp3",    "levelup.mp3",
      "hit.mp3",         "start.mp3",        "opening.mp3",  "win.mp3",      "firstmap.txt",
  };
  for (const char* name : names) EXPECT_FALSE(ReadMedia(name).empty()) << name;

  uintmax_t total = 0;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(std::string(KUMO_SOURCE_DIR) + "/media")) {
    if (entry.is_regular_file()) total += entry.file_size();
  }
  EXPECT_LT(total, 4u << 20);
}

// PNG: the signature, an IHDR first, then well-formed chunks up to IEND at the very end.
TEST(MediaPictures, PngFilesHaveTheirSizesAndColourTypes) {
  const int kRgba = 6, kRgb = 2;
  struct Case {
    const char* name;
    uint32_t width, height;
    int colourType;
  };
  const Case cases[] = {
      {"chara/yusya.png", 1344, 64, kRgba}, {"chara/yusya2.png", 1344, 64, kRgba},
      {"chara/1p.png", 60, 72, kRgba},      {"chara/2p.png", 60, 72, kRgba},
      {"back.png", 640, 480, kRgb},         {"opening.png", 640, 480, kRgb},
  };
  const Bytes signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes png = ReadMedia(c.name);
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(Bytes(png.begin(), png.begin() + 8), signature);
    EXPECT_EQ(Be32(png, 8), 13u);
    EXPECT_EQ(Tag(png, 12), "IHDR");
    EXPECT_EQ(Be32(png, 16), c.width);
    EXPECT_EQ(Be32(png, 20), c.height);
    EXPECT_EQ(png[24], 8) << "bit depth";
    EXPECT_EQ(png[25], c.colourType);
    EXPECT_EQ(png[28], 0) << "not interlaced";

    std::map<std::string, int> chunks;
    size_t at = 8;
    while (at + 12 <= png.size()) {
      const std::string type = Tag(png, at + 4);
      ++chunks[type];
      at += 12 + Be32(png, at);
      if (type == "IEND") break;
    }
    EXPECT_EQ(at, png.size()) << "IEND ends the file";
    EXPECT_EQ(chunks["IEND"], 1);
    EXPECT_GE(chunks["IDAT"], 1);
  }
}

// BMP: uncompressed 24-bit rows under a BITMAPINFOHEADER, on the black the game keys out.
TEST(MediaPictures, BmpFilesAreUncompressed24BitOnBlack) {
  struct Case {
    const char* name;
    int32_t minWidth, maxWidth, minHeight, maxHeight;
  };
  const Case cases[] = {
      {"clash01.bmp", 192, 192, 106, 106}, {"weapon01.bmp", 8, 64, 4, 64},
      {"bullet01.bmp", 4, 64, 4, 64},      {"hit01.bmp", 4, 64, 4, 64},
      {"enemy04.bmp", 4, 64, 4, 64},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes bmp = ReadMedia(c.name);
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(Tag(bmp, 0).substr(0, 2), "BM");
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    EXPECT_EQ(Le32(bmp, 14), 40u) << "BITMAPINFOHEADER";
    const int32_t width = static_cast<int32_t>(Le32(bmp, 18));
    const int32_t height = static_cast<int32_t>(Le32(bmp, 22));
    EXPECT_GE(width, c.minWidth);
    EXPECT_LE(width, c.maxWidth);
    EXPECT_GE(height, c.minHeight);
    EXPECT_LE(height, c.maxHeight);
    EXPECT_EQ(Le16(bmp, 26), 1u) << "planes";
    EXPECT_EQ(Le16(bmp, 28), 24u) << "bits per pixel";
    EXPECT_EQ(Le32(bmp, 30), 0u) << "uncompressed";

    const size_t offset = Le32(bmp, 10), rowSize = (width * 3 + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), offset + rowSize * height);
    auto pixel = [&](int x, int row) {
      const size_t at = offset + row * rowSize + x * 3;
      return uint32_t(bmp[at]) | bmp[at + 1] << 8 | bmp[at + 2] << 16;
    };
    int drawn = 0;
    for (int row = 0; row < height; ++row) {
      for (int x = 0; x < width; ++x) drawn += pixel(x, row) != 0;
    }
    EXPECT_GT(drawn, 0) << "something is drawn";
    for (int corner = 0; corner < 4; ++corner) {
      EXPECT_EQ(pixel(corner % 2 ? width - 1 : 0, corner / 2 ? height - 1 : 0), 0u)
          << "corner " << corner << " is the transparent black";
    }
  }
}

// The chunks of a RIFF WAVE file after "WAVE", by name (the last of each).
std::map<std::string, std::pair<size_t, uint32_t>> WaveChunks(const Bytes& wav) {
  std::map<std::string, std::pair<size_t, uint32_t>> chunks;
  for (size_t at = 12; at + 8 <= wav.size();) {
    const uint32_t size = Le32(wav, at + 4);
    chunks[Tag(wav, at)] = {at + 8, size};
    at += 8 + size + size % 2;
  }
  return chunks;
}

TEST(MediaSounds, ChargeSignalIs16BitPcmWav) {
  const Bytes wav = ReadMedia("power33.wav");
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ(Tag(wav, 0), "RIFF");
  EXPECT_EQ(Le32(wav, 4), wav.size() - 8);
  EXPECT_EQ(Tag(wav, 8), "WAVE");
  EXPECT_EQ(Tag(wav, 12), "fmt ") << "the decoders want the format chunk first";
  auto chunks = WaveChunks(wav);
  ASSERT_TRUE(chunks.count("fmt ") && chunks.count("data"));
  const size_t fmt = chunks["fmt "].first;
  const uint32_t channels = Le16(wav, fmt + 2), rate = Le32(wav, fmt + 4);
  EXPECT_EQ(Le16(wav, fmt), 1u) << "PCM";
  EXPECT_EQ(Le16(wav, fmt + 14), 16u) << "bits per sample";
  EXPECT_EQ(Le16(wav, fmt + 12), channels * 2) << "block align";
  EXPECT_EQ(Le32(wav, fmt + 8), rate * channels * 2) << "bytes per second";
  const uint32_t data = chunks["data"].second;
  EXPECT_EQ(data % (channels * 2), 0u);
  const double seconds = double(data) / (rate * channels * 2);
  EXPECT_GT(seconds, 0.2);
  EXPECT_LT(seconds, 3.0);
}

TEST(MediaSounds, UnusedHitIsImaAdpcmWavWithConsistentBlocks) {
  const Bytes wav = ReadMedia("hit_p07.wav");
  ASSERT_GT(wav.size(), 60u);
  EXPECT_EQ(Tag(wav, 0), "RIFF");
  EXPECT_EQ(Le32(wav, 4), wav.size() - 8);
  EXPECT_EQ(Tag(wav, 8), "WAVE");
  EXPECT_EQ(Tag(wav, 12), "fmt ");
  auto chunks = WaveChunks(wav);
  ASSERT_TRUE(chunks.count("fmt ") && chunks.count("fact") && chunks.count("data"));
  const size_t fmt = chunks["fmt "].first;
  ASSERT_GE(chunks["fmt "].second, 20u);
  const uint32_t channels = Le16(wav, fmt + 2), rate = Le32(wav, fmt + 4);
  const uint32_t blockAlign = Le16(wav, fmt + 12);
  const uint32_t samplesPerBlock = Le16(wav, fmt + 18);
  EXPECT_EQ(Le16(wav, fmt), 0x11u) << "IMA ADPCM";
  EXPECT_EQ(Le16(wav, fmt + 14), 4u) << "bits per sample";
  EXPECT_EQ(Le16(wav, fmt + 16), 2u) << "extra size";
  ASSERT_GT(blockAlign, 4 * channels);
  EXPECT_EQ(samplesPerBlock, (blockAlign - 4 * channels) * 8 / (4 * channels) + 1);
  EXPECT_EQ(Le32(wav, fmt + 8), rate * blockAlign / samplesPerBlock) << "bytes per second";

  const auto [data, dataSize] = chunks["data"];
  ASSERT_EQ(dataSize % blockAlign, 0u) << "whole blocks";
  const uint32_t blocks = dataSize / blockAlign;
  const uint32_t samples = Le32(wav, chunks["fact"].first);
  EXPECT_GT(samples, (blocks - 1) * samplesPerBlock);
  EXPECT_LE(samples, blocks * samplesPerBlock);
  EXPECT_LT(double(samples) / rate, 3.0);
  // Each block header: the first sample, a step index the step table has, a zero byte.
  for (uint32_t block = 0; block < blocks; ++block) {
    for (uint32_t channel = 0; channel < channels; ++channel) {
      const size_t header = data + block * blockAlign + channel * 4;
      EXPECT_LE(wav[header + 2], 88) << "block " << block;
      EXPECT_EQ(wav[header + 3], 0) << "block " << block;
    }
  }
}

// MPEG audio: the first frame at the start of the file (or after an ID3v2 tag), and every frame
// an MPEG-1 Layer III frame at 44.1 kHz, each following the last to the end of the file.
TEST(MediaSounds, Mp3FilesAreMpeg1LayerIIIFramesOfTheirLengths) {
  struct Case {
    const char* name;
    double minSeconds, maxSeconds;
  };
  const Case cases[] = {
      {"opening.mp3", 20, 60}, {"sentou1.mp3", 20, 60}, {"fire.mp3", 0.1, 3},
      {"slash.mp3", 0.1, 3},   {"levelup.mp3", 0.1, 3}, {"hit.mp3", 0.1, 3},
      {"start.mp3", 0.1, 3},   {"win.mp3", 0.1, 4},
  };
  const int kBitrates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes mp3 = ReadMedia(c.name);
    ASSERT_GT(mp3.size(), 10u);
    size_t at = 0;
    if (Tag(mp3, 0).substr(0, 3) == "ID3") {
      at = 10 + (mp3[6] << 21 | mp3[7] << 14 | mp3[8] << 7 | mp3[9]);
    }
    int frames = 0;
    while (at + 4 <= mp3.size()) {
      const uint32_t h = Be32(mp3, at);
      ASSERT_EQ(h >> 21, 0x7FFu) << "frame sync at " << at;
      ASSERT_EQ((h >> 19) & 3, 3u) << "MPEG-1 at " << at;
      ASSERT_EQ((h >> 17) & 3, 1u) << "Layer III at " << at;
      const int kbps = kBitrates[(h >> 12) & 15];
      ASSERT_NE(kbps, 0) << "a bitrate of the table at " << at;
      ASSERT_EQ((h >> 10) & 3, 0u) << "44100 Hz at " << at;
      at += 144000 * kbps / 44100 + ((h >> 9) & 1);
      ++frames;
    }
    EXPECT_EQ(at, mp3.size()) << "the last frame ends the file";
    const double seconds = frames * 1152.0 / 44100;
    EXPECT_GE(seconds, c.minSeconds);
    EXPECT_LE(seconds, c.maxSeconds);
  }
}

}  // namespace
}  // namespace media_test
