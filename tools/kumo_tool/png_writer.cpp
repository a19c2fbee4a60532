#include "tools/kumo_tool/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace kumo_tool {

namespace {

struct PngWrite {
  std::FILE* file;
  png_structp png;
  png_infop info;
};

// The caller reports the failure in its own words.
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// Everything that may long-jump; what it opened hangs from `write`, which the jump leaves alone.
bool WriteRows(PngWrite* write, const uint8_t* rgba, int width, int height) {
  if (setjmp(png_jmpbuf(write->png)) != 0) return false;
  png_init_io(write->png, write->file);
  png_set_IHDR(write->png, write->info, static_cast<png_uint_32>(width),
               static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(write->png, write->info);
  for (int y = 0; y < height; ++y) png_write_row(write->png, rgba + size_t{4} * width * y);
  png_write_end(write->png, nullptr);
  return true;
}

}  // namespace

bool WriteRgbaPng(const char* path, const uint8_t* rgba, int width, int height) {
  PngWrite write = {};
  write.file = std::fopen(path, "wb");
  if (write.file == nullptr) return false;
  write.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (write.png != nullptr) write.info = png_create_info_struct(write.png);
  bool written = write.info != nullptr && WriteRows(&write, rgba, width, height);
  png_destroy_write_struct(&write.png, &write.info);
  if (std::fclose(write.file) != 0) written = false;
  if (!written) std::remove(path);
  return written;
}

}  // namespace kumo_tool
