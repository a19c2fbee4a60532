// The script's shots: a kept picture written as a PNG file.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "kumo/platform/headless/headless_display.h"

namespace kumo::platform::headless {

namespace {

// libpng reports a failure by jumping back here; nothing with a destructor lives across it.
bool WriteRows(std::FILE* file, int width, int height, png_bytepp rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePicturePng(const std::string& path, const HeadlessPicture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  const size_t width = static_cast<size_t>(picture.width);
  std::vector<png_byte> rgb(width * 3 * static_cast<size_t>(picture.height));
  std::vector<png_bytep> rows(static_cast<size_t>(picture.height));
  for (size_t y = 0; y < rows.size(); ++y) {
    rows[y] = rgb.data() + y * width * 3;
    for (size_t x = 0; x < width; ++x) {
      const uint32_t pixel = picture.pixels[y * width + x];
      rows[y][x * 3] = static_cast<png_byte>(pixel >> 16);
      rows[y][x * 3 + 1] = static_cast<png_byte>(pixel >> 8);
      rows[y][x * 3 + 2] = static_cast<png_byte>(pixel);
    }
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = WriteRows(file, picture.width, picture.height, rows.data());
  return std::fclose(file) == 0 && written;
}

}  // namespace kumo::platform::headless
