// Graphics management started in a fresh temporary directory with its own "Log.txt", and small
// BMP files written in it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "kumo/image/graph_handles.h"
#include "kumo/support/log.h"
#include "kumo/support/tracked_memory.h"
#include "tests/common/log_lines.h"
#include "tests/support/temp_dir_fixture.h"

namespace kumo::graph_test {

struct Rgb {
  uint8_t red, green, blue;
};

// A bottom-up BMP: 24 bits per pixel, or 8 with `palette` (pixels then hold indexes in red).
inline std::string Bmp(int width, int height, const std::vector<Rgb>& pixels,
                       const std::vector<Rgb>* palette = nullptr) {
  const int bits = palette != nullptr ? 8 : 24;
  const int pitch = (width * bits / 8 + 3) / 4 * 4;
  const int paletteBytes = palette != nullptr ? 1024 : 0;
  const int offset = 54 + paletteBytes;
  std::string out(static_cast<size_t>(offset + pitch * height), '\0');
  auto put32 = [&](int at, uint32_t value) { std::memcpy(&out[at], &value, 4); };
  auto put16 = [&](int at, uint16_t value) { std::memcpy(&out[at], &value, 2); };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<uint32_t>(out.size()));
  put32(10, static_cast<uint32_t>(offset));
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, static_cast<uint16_t>(bits));
  if (palette != nullptr) {
    put32(46, 256);
    for (size_t i = 0; i < palette->size(); ++i) {
      out[54 + 4 * i] = static_cast<char>((*palette)[i].blue);
      out[55 + 4 * i] = static_cast<char>((*palette)[i].green);
      out[56 + 4 * i] = static_cast<char>((*palette)[i].red);
    }
  }
  for (int y = 0; y < height; ++y) {
    char* line = &out[static_cast<size_t>(offset + (height - 1 - y) * pitch)];
    for (int x = 0; x < width; ++x) {
      const Rgb& p = pixels[static_cast<size_t>(y * width + x)];
      if (palette != nullptr) {
        line[x] = static_cast<char>(p.red);
      } else {
        line[3 * x] = static_cast<char>(p.blue);
        line[3 * x + 1] = static_cast<char>(p.green);
        line[3 * x + 2] = static_cast<char>(p.red);
      }
    }
  }
  return out;
}

// A picture whose pixel (x, y) has red x * 16, green y * 16 and blue 8.
inline std::string GradientBmp(int width, int height) {
  std::vector<Rgb> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.push_back({static_cast<uint8_t>(x * 16), static_cast<uint8_t>(y * 16), 8});
    }
  }
  return Bmp(width, height, pixels);
}

// The raw pixel of a graphic's store at (x, y) of the graphic.
inline uint32_t StorePixel(int graph, int x, int y) {
  const GraphRecord* record = GetGraphRecord(graph);
  const Piece2D* piece = GetPiece2D(record->pieces[0]);
  const MEMIMG& image = GetSurfaceData(piece->surfaceData)->image;
  const int bytes = MemImgBytesPerPixel(image);
  const auto* at = static_cast<const uint8_t*>(image.pixels) + (piece->surfaceY + y) * image.pitch +
                   (piece->surfaceX + x) * bytes;
  uint32_t value = 0;
  std::memcpy(&value, at, static_cast<size_t>(bytes));
  return value;
}

inline uint32_t R5G6B5(int red, int green, int blue) {
  return static_cast<uint32_t>((red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3));
}

class GraphTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ASSERT_EQ(LogSetDirectory(dir_.c_str()), 0);
    LogStart();
    InitGraphics();
    liveBlocks_ = TrackedMemory().count;
    liveBytes_ = TrackedMemory().totalSize;
  }

  void TearDown() override {
    TermGraphics();
    LogStart();
    LogSetDirectory("");
    TempDirTest::TearDown();
  }

  // Every block taken since SetUp has been given back.
  void ExpectMemoryBack() const {
    EXPECT_EQ(TrackedMemory().count, liveBlocks_);
    EXPECT_EQ(TrackedMemory().totalSize, liveBytes_);
  }

  bool LogHas(const std::string& line) const {
    for (const std::string& l :
         testing::LogLinesWithoutTime(testing::ReadFileBytes(dir_ / "Log.txt"))) {
      if (l == line) return true;
    }
    return false;
  }

  int liveBlocks_ = 0;
  int liveBytes_ = 0;
};

}  // namespace kumo::graph_test
