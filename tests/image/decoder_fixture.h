// Helpers for the decoder tests: decoding bytes through DecodeImage with the tracked-memory books
// checked, ImageMagick as the writer of fixtures and the reference decoder, and small builders
// for files written by hand.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "kumo/image/decoders.h"
#include "kumo/image/graph_image.h"

namespace kumo::decoder_test {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes* bytes, uint32_t value);
void Put32(Bytes* bytes, uint32_t value);
void Set32(Bytes* bytes, size_t at, uint32_t value);
uint32_t Get32(const Bytes& bytes, size_t at);

// The result of DecodeImage over a MemStream holding exactly the given bytes. Decode checks
// that a failure gave back every block and that a success kept only the pixel block, which must
// hold every line.
class Decoded {
 public:
  Decoded() = default;
  Decoded(Decoded&& other) noexcept;
  Decoded(const Decoded&) = delete;
  Decoded& operator=(const Decoded&) = delete;
  ~Decoded();

  int result = -1;
  std::string decoder;
  GraphImage image{};
};

Decoded Decode(const Bytes& bytes);

// The pattern every ImageMagick fixture is made from: 13 x 7 pixels of RGBA, all different,
// some of them half transparent.
constexpr int kPatternWidth = 13;
constexpr int kPatternHeight = 7;
Bytes PatternPixels();

// A scratch directory in which ImageMagick writes fixtures and decodes files for reference.
class Magick {
 public:
  Magick();
  ~Magick();
  Magick(const Magick&) = delete;
  Magick& operator=(const Magick&) = delete;

  // The pattern written by `convert` with `options`, as `format` ("BMP3", "TGA", ...).
  Bytes Write(const std::string& options, const std::string& format);
  // ImageMagick's own decoding of `bytes`, read as `format`: 8-bit RGBA, top line first.
  Bytes Read(const Bytes& bytes, const std::string& format);

 private:
  bool Run(const std::string& arguments);
  std::filesystem::path dir_;
};

// Every pixel against a reference in 8-bit RGBA: each channel at the precision the image's format
// keeps (and at most `bits` bits), alpha only when the image has an alpha channel.
void ExpectPixelsMatch(const GraphImage& image, const Bytes& rgba, int bits = 8);

// A BMP file with a 40-byte information header; `extra` (masks or colour table) follows it and
// the pixel data follows that.
Bytes BmpFile(int width, int height, int bits, uint32_t compression, const Bytes& extra,
              const Bytes& data, uint32_t colorsUsed = 0);

struct TgaHeader {
  int idLength = 0;
  int mapType = 0;
  int type = 2;
  int mapFirst = 0;
  int mapLength = 0;
  int mapEntryBits = 0;
  int width = 0;
  int height = 0;
  int pixelBits = 24;
  int descriptor = 0x20;  // top-down, left to right
};

// A TGA file: the header, the ID field, the colour map and the data, and a footer when asked.
Bytes TgaFile(TgaHeader header, const Bytes& id, const Bytes& map, const Bytes& data, bool footer);

// A DDS file: the 128 bytes of magic and description, then the data.
Bytes DdsFile(int width, int height, uint32_t flags, uint32_t pitch, uint32_t formatFlags,
              uint32_t fourCc, int bits, const uint32_t masks[4], const Bytes& data);

// A "BGRA" file.
Bytes BgraFile(uint32_t depth, uint32_t width, uint32_t height, const Bytes& data);

}  // namespace kumo::decoder_test
