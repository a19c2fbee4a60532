// Reading a PNG file as 8-bit RGB, whatever its colour type, for tests that look at pictures.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kumo::testing {

// The pixels as RGB triples, row after row; empty when the file cannot be read.
inline std::vector<uint8_t> ReadPngRgb(const std::string& path, png_uint_32* width,
                                       png_uint_32* height) {
  std::vector<uint8_t> rgb;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return rgb;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_read_info(png, info);
    // Palettes, grey and low depths become 8-bit RGB; alpha and 16-bit depth are dropped.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    rgb.resize(static_cast<size_t>(*width) * *height * 3);
    for (png_uint_32 y = 0; y < *height; ++y) png_read_row(png, &rgb[y * *width * 3], nullptr);
  } else {
    rgb.clear();
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  return rgb;
}

}  // namespace kumo::testing
