// Compares a screenshot with the picture it should show: at a grid of points, the picture's
// pixel at (x, y) and the shot's at (left + x, top + y), on the top 5, 6 and 5 bits of red,
// green and blue, all that a 16-bit screen keeps of them.
//   picture_match SHOT.png PICTURE.png LEFT TOP
// Exits 0 when every point matches, 1 otherwise, naming the points that differ.
#include <cstdio>
#include <cstdlib>

#include "tests/common/png_file.h"

namespace {

constexpr int kAcross = 8, kDown = 6;

uint32_t Rgb565(const uint8_t* rgb) {
  return (uint32_t{rgb[0]} >> 3) << 11 | (uint32_t{rgb[1]} >> 2) << 5 | uint32_t{rgb[2]} >> 3;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: picture_match SHOT.png PICTURE.png LEFT TOP\n");
    return 2;
  }
  png_uint_32 shotWidth = 0, shotHeight = 0, width = 0, height = 0;
  const std::vector<uint8_t> shot = kumo::testing::ReadPngRgb(argv[1], &shotWidth, &shotHeight);
  const std::vector<uint8_t> picture = kumo::testing::ReadPngRgb(argv[2], &width, &height);
  const long left = std::strtol(argv[3], nullptr, 10), top = std::strtol(argv[4], nullptr, 10);
  if (shot.empty() || picture.empty()) {
    std::printf("cannot read %s\n", shot.empty() ? argv[1] : argv[2]);
    return 1;
  }
  if (left < 0 || top < 0 || left + width > shotWidth || top + height > shotHeight) {
    std::printf("the picture at %ld,%ld does not lie inside the %ux%u shot\n", left, top, shotWidth,
                shotHeight);
    return 1;
  }
  int differing = 0;
  for (int j = 0; j < kDown; ++j) {
    for (int i = 0; i < kAcross; ++i) {
      // Points spread over the picture, off its edges.
      const size_t x = (2 * i + 1) * width / (2 * kAcross);
      const size_t y = (2 * j + 1) * height / (2 * kDown);
      const uint8_t* want = &picture[(y * width + x) * 3];
      const uint8_t* got = &shot[((top + y) * shotWidth + left + x) * 3];
      if (Rgb565(want) != Rgb565(got)) {
        std::printf("at %zu,%zu: shot %02x%02x%02x, picture %02x%02x%02x\n", x, y, got[0], got[1],
                    got[2], want[0], want[1], want[2]);
        ++differing;
      }
    }
  }
  return differing == 0 ? 0 : 1;
}
