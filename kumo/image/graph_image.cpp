#include "kumo/image/graph_image.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "kumo/image/color_format.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

bool Inside(const GraphImage& image, int x, int y) {
  return image.pixels != nullptr && x >= 0 && y >= 0 && x < image.width && y < image.height;
}

int CreateImage(int width, int height, GraphImage* image) {
  image->width = width;
  image->height = height;
  image->pixels = nullptr;
  image->pitch = 0;
  if (width < 0 || height < 0) return -1;
  const int64_t pitch = (int64_t{width} * image->format.bytesPerPixel + 3) / 4 * 4;
  const int64_t bytes = pitch * height;
  if (bytes > INT_MAX) return -1;
  image->pitch = static_cast<int>(pitch);
  image->pixels = TrackedAlloc(static_cast<int>(bytes), "", 0);
  return image->pixels == nullptr ? -1 : 0;
}

}  // namespace

int CreateArgb32Image(int width, int height, GraphImage* image) {
  SetArgb32(&image->format);
  return CreateImage(width, height, image);
}

int CreateBgr24Image(int width, int height, GraphImage* image) {
  SetBgr24(&image->format);
  return CreateImage(width, height, image);
}

void ReleaseGraphImage(GraphImage* image) {
  TrackedFree(image->pixels);
  std::memset(image, 0, sizeof *image);
}

uint32_t ReadRawPixel(const GraphImage& image, int x, int y) {
  const int bytes = image.format.bytesPerPixel;
  const uint8_t* at = static_cast<const uint8_t*>(image.pixels) +
                      static_cast<ptrdiff_t>(y) * image.pitch + static_cast<ptrdiff_t>(x) * bytes;
  uint32_t pixel = 0;
  for (int i = 0; i < bytes; ++i) pixel |= uint32_t{at[i]} << (8 * i);
  return pixel;
}

void WriteRawPixel(GraphImage* image, int x, int y, uint32_t pixel) {
  const int bytes = image->format.bytesPerPixel;
  uint8_t* at = static_cast<uint8_t*>(image->pixels) + static_cast<ptrdiff_t>(y) * image->pitch +
                static_cast<ptrdiff_t>(x) * bytes;
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(pixel >> (8 * i));
}

void FillGraphImage(GraphImage* image, int red, int green, int blue, int alpha) {
  if (image->format.bytesPerPixel < 2 || image->format.bytesPerPixel > 4) return;
  const uint32_t pixel = ColorToPixel(image->format, red, green, blue, alpha);
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) WriteRawPixel(image, x, y, pixel);
  }
}

void SetGraphImagePixel(GraphImage* image, int x, int y, int red, int green, int blue, int alpha) {
  if (image->format.bytesPerPixel < 2 || image->format.bytesPerPixel > 4) return;
  if (!Inside(*image, x, y)) return;
  WriteRawPixel(image, x, y, ColorToPixel(image->format, red, green, blue, alpha));
}

void GetGraphImagePixel(const GraphImage& image, int x, int y, int* red, int* green, int* blue,
                        int* alpha) {
  uint32_t pixel = 0;
  if (Inside(image, x, y)) {
    pixel = ReadRawPixel(image, x, y);
    if (image.format.bytesPerPixel == 1) {
      // The palette entry, assembled with the format's shifts.
      const uint8_t* entry = image.format.palette[pixel & 0xFF];
      pixel = (uint32_t{entry[0]} << image.format.blueShift) |
              (uint32_t{entry[1]} << image.format.greenShift) |
              (uint32_t{entry[2]} << image.format.redShift);
    }
  }
  PixelToColor(image.format, pixel, red, green, blue, alpha);
}

int MirrorGraphImage(GraphImage* image) {
  const int bytes = image->format.bytesPerPixel;
  if (image->pixels == nullptr || image->width <= 0 || image->height <= 0 || bytes < 1 ||
      bytes > 4) {
    return -1;
  }
  for (int y = 0; y < image->height; ++y) {
    for (int left = 0, right = image->width - 1; left < right; ++left, --right) {
      const uint32_t a = ReadRawPixel(*image, left, y);
      WriteRawPixel(image, left, y, ReadRawPixel(*image, right, y));
      WriteRawPixel(image, right, y, a);
    }
  }
  return 0;
}

}  // namespace kumo
