#include "image_files.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace media {

namespace {

void Fail(const std::string& what, const std::string& path) {
  std::fprintf(stderr, "make_media: %s: %s\n", what.c_str(), path.c_str());
  std::exit(1);
}

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

}  // namespace

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) Fail("cannot write", path);
}

void WritePng(const std::string& path, const Canvas& canvas, bool alpha) {
  std::vector<uint8_t> pixels = alpha ? canvas.Rgba8() : canvas.Rgb8();
  const size_t rowBytes = static_cast<size_t>(canvas.width()) * (alpha ? 4 : 3);
  std::vector<png_bytep> rows;
  for (int y = 0; y < canvas.height(); ++y) rows.push_back(pixels.data() + y * rowBytes);

  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) Fail("libpng could not start", path);
  if (setjmp(png_jmpbuf(png))) Fail("libpng failed", path);
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_compression_level(png, 9);
  // No time or text chunks: the same picture gives the same bytes on every run.
  png_set_IHDR(png, info, canvas.width(), canvas.height(), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  WriteFile(path, out);
}

void WriteBmp(const std::string& path, const Canvas& canvas) {
  const uint32_t rowSize = (canvas.width() * 3 + 3) / 4 * 4;
  const uint32_t imageSize = rowSize * canvas.height();
  std::vector<uint8_t> out;
  out.insert(out.end(), {'B', 'M'});
  PutLe(out, 14 + 40 + imageSize, 4);  // file size
  PutLe(out, 0, 4);                    // reserved
  PutLe(out, 14 + 40, 4);              // pixel data offset
  PutLe(out, 40, 4);                   // header size
  PutLe(out, canvas.width(), 4);
  PutLe(out, canvas.height(), 4);  // positive: bottom-up rows
  PutLe(out, 1, 2);                // planes
  PutLe(out, 24, 2);               // bits per pixel
  PutLe(out, 0, 4);                // uncompressed
  PutLe(out, imageSize, 4);
  PutLe(out, 2835, 4);  // 72 dpi
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);  // colours used
  PutLe(out, 0, 4);  // important colours
  for (int y = canvas.height() - 1; y >= 0; --y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const Rgba c = canvas.At(x, y);
      if (c.a < 0.5f) {
        out.insert(out.end(), {0, 0, 0});
        continue;
      }
      auto channel = [](float v) {
        return static_cast<uint8_t>(std::lround(std::min(1.0f, std::max(0.0f, v)) * 255.0f));
      };
      uint8_t b = channel(c.b), g = channel(c.g), r = channel(c.r);
      if (std::max({r, g, b}) < 16) r = g = b = 16;
      out.insert(out.end(), {b, g, r});
    }
    out.resize(out.size() + rowSize - canvas.width() * 3, 0);
  }
  WriteFile(path, out);
}

}  // namespace media
