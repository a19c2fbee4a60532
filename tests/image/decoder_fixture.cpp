#include "tests/image/decoder_fixture.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "kumo/support/streams.h"
#include "kumo/support/tracked_memory.h"
#include "tests/common/image_magick.h"

namespace kumo::decoder_test {

void Put16(Bytes* bytes, uint32_t value) {
  bytes->push_back(static_cast<uint8_t>(value));
  bytes->push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(Bytes* bytes, uint32_t value) {
  Put16(bytes, value & 0xFFFF);
  Put16(bytes, value >> 16);
}

void Set32(Bytes* bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get32(const Bytes& bytes, size_t at) {
  return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
         uint32_t{bytes[at + 3]} << 24;
}

Decoded::Decoded(Decoded&& other) noexcept
    : result(other.result), decoder(std::move(other.decoder)), image(other.image) {
  other.result = -1;
  other.image = {};
}

Decoded::~Decoded() {
  if (result == 0) ReleaseGraphImage(&image);
}

Decoded Decode(const Bytes& bytes) {
  // An exact copy: a read past the file's end would leave the block.
  std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), copy.get());
  const int live = TrackedMemory().count;
  MemStream* stream = MemStreamOpen(copy.get(), static_cast<int>(bytes.size()));
  const StreamSource source{&GetMemStreamOps(), stream};
  Decoded decoded;
  const char* name = nullptr;
  decoded.result = DecodeImage(source, &decoded.image, &name);
  source.ops->close(stream);
  if (decoded.result != 0) {
    EXPECT_EQ(TrackedMemory().count, live) << "a failed decoding kept blocks";
    return decoded;
  }
  decoded.decoder = name;
  EXPECT_EQ(TrackedMemory().count, live + 1) << "a decoding kept more than its pixels";
  const GraphImage& image = decoded.image;
  EXPECT_GT(image.width, 0);
  EXPECT_GT(image.height, 0);
  EXPECT_GE(image.pitch, image.width * image.format.bytesPerPixel);
  if (image.pixels == nullptr) {
    ADD_FAILURE() << "a decoding gave no pixels";
    return decoded;
  }
  const int64_t needed =
      int64_t{image.pitch} * (image.height - 1) + int64_t{image.width} * image.format.bytesPerPixel;
  EXPECT_GE(int64_t{TrackedHeaderOf(image.pixels)->size}, needed) << "lines past the block";
  return decoded;
}

Bytes PatternPixels() {
  Bytes rgba;
  for (int y = 0; y < kPatternHeight; ++y) {
    for (int x = 0; x < kPatternWidth; ++x) {
      rgba.push_back(static_cast<uint8_t>(x * 19 + y * 7));
      rgba.push_back(static_cast<uint8_t>(x * 5 + y * 31));
      rgba.push_back(static_cast<uint8_t>(x * y * 11 + 3));
      rgba.push_back((x + y) % 3 != 0 ? 255 : 128);
    }
  }
  return rgba;
}

namespace {

Bytes ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

Magick::Magick() {
  char name[] = "/tmp/kumo_magick_XXXXXX";
  if (mkdtemp(name) == nullptr) ADD_FAILURE() << "no scratch directory";
  dir_ = name;
  WriteFileBytes(dir_ / "pattern.rgba", PatternPixels());
}

Magick::~Magick() { std::filesystem::remove_all(dir_); }

bool Magick::Run(const std::string& arguments) {
  const std::string command = "cd " + dir_.string() + " && " + kumo::testing::ConvertProgram() +
                              " " + arguments + " 2>errors.txt";
  if (std::system(command.c_str()) == 0) return true;
  const Bytes errors = ReadFileBytes(dir_ / "errors.txt");
  ADD_FAILURE() << "ImageMagick failed (is the imagemagick package installed?): convert "
                << arguments << "\n"
                << std::string(errors.begin(), errors.end());
  return false;
}

Bytes Magick::Write(const std::string& options, const std::string& format) {
  const std::string size = std::to_string(kPatternWidth) + "x" + std::to_string(kPatternHeight);
  if (!Run("-size " + size + " -depth 8 rgba:pattern.rgba " + options + " " + format + ":out")) {
    return {};
  }
  return ReadFileBytes(dir_ / "out");
}

Bytes Magick::Read(const Bytes& bytes, const std::string& format) {
  WriteFileBytes(dir_ / "in", bytes);
  // Oriented as the file's header says: ImageMagick keeps a TGA's stored order otherwise.
  if (!Run(format + ":in -auto-orient -depth 8 rgba:in.rgba")) return {};
  return ReadFileBytes(dir_ / "in.rgba");
}

void ExpectPixelsMatch(const GraphImage& image, const Bytes& rgba, int bits) {
  ASSERT_EQ(rgba.size(), size_t{4} * image.width * image.height) << "reference of another size";
  const ColorFormat& f = image.format;
  const uint32_t masks[4] = {f.redMask, f.greenMask, f.blueMask, f.alphaMask};
  const int shifts[4] = {f.redShift, f.greenShift, f.blueShift, f.alphaShift};
  const int widths[4] = {f.redWidth, f.greenWidth, f.blueWidth, f.alphaWidth};
  int wrong = 0;
  std::string first;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* want = &rgba[4 * (static_cast<size_t>(y) * image.width + x)];
      const uint32_t raw = ReadRawPixel(image, x, y);
      for (int c = 0; c < 4; ++c) {
        uint32_t got;
        int width;
        if (f.bytesPerPixel == 1) {
          if (c == 3) continue;
          got = f.palette[raw][2 - c];  // entries are blue, green, red
          width = 8;
        } else {
          if (widths[c] == 0) continue;
          got = (raw & masks[c]) >> shifts[c];
          width = widths[c];
        }
        const int kept = std::min({width, bits, 8});
        if (got >> (width - kept) == uint32_t{want[c]} >> (8 - kept)) continue;
        if (wrong++ == 0) {
          first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") channel " +
                  std::to_string(c) + ": " + std::to_string(got) + " of " + std::to_string(width) +
                  " bits, reference " + std::to_string(want[c]);
        }
      }
    }
  }
  EXPECT_EQ(wrong, 0) << "first difference at " << first;
}

Bytes BmpFile(int width, int height, int bits, uint32_t compression, const Bytes& extra,
              const Bytes& data, uint32_t colorsUsed) {
  const uint32_t offset = static_cast<uint32_t>(14 + 40 + extra.size());
  Bytes file = {'B', 'M'};
  Put32(&file, static_cast<uint32_t>(offset + data.size()));
  Put32(&file, 0);
  Put32(&file, offset);
  Put32(&file, 40);
  Put32(&file, static_cast<uint32_t>(width));
  Put32(&file, static_cast<uint32_t>(height));
  Put16(&file, 1);
  Put16(&file, static_cast<uint32_t>(bits));
  Put32(&file, compression);
  Put32(&file, static_cast<uint32_t>(data.size()));
  Put32(&file, 2835);
  Put32(&file, 2835);
  Put32(&file, colorsUsed);
  Put32(&file, 0);
  file.insert(file.end(), extra.begin(), extra.end());
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

Bytes TgaFile(TgaHeader h, const Bytes& id, const Bytes& map, const Bytes& data, bool footer) {
  Bytes file = {static_cast<uint8_t>(h.idLength), static_cast<uint8_t>(h.mapType),
                static_cast<uint8_t>(h.type)};
  Put16(&file, static_cast<uint32_t>(h.mapFirst));
  Put16(&file, static_cast<uint32_t>(h.mapLength));
  file.push_back(static_cast<uint8_t>(h.mapEntryBits));
  Put32(&file, 0);  // x and y origin
  Put16(&file, static_cast<uint32_t>(h.width));
  Put16(&file, static_cast<uint32_t>(h.height));
  file.push_back(static_cast<uint8_t>(h.pixelBits));
  file.push_back(static_cast<uint8_t>(h.descriptor));
  for (const Bytes* part : {&id, &map, &data}) file.insert(file.end(), part->begin(), part->end());
  if (footer) {
    Put32(&file, 0);  // extension area
    Put32(&file, 0);  // developer area
    const char signature[] = "TRUEVISION-XFILE.";
    file.insert(file.end(), signature, signature + sizeof signature);  // with its 0
  }
  return file;
}

Bytes DdsFile(int width, int height, uint32_t flags, uint32_t pitch, uint32_t formatFlags,
              uint32_t fourCc, int bits, const uint32_t masks[4], const Bytes& data) {
  Bytes file = {'D', 'D', 'S', ' '};
  Put32(&file, 124);
  Put32(&file, flags);
  Put32(&file, static_cast<uint32_t>(height));
  Put32(&file, static_cast<uint32_t>(width));
  Put32(&file, pitch);
  while (file.size() < 4 + 72) file.push_back(0);
  Put32(&file, 32);
  Put32(&file, formatFlags);
  Put32(&file, fourCc);
  Put32(&file, static_cast<uint32_t>(bits));
  for (int c = 0; c < 4; ++c) Put32(&file, masks[c]);
  Put32(&file, 0x1000);  // a texture
  while (file.size() < 128) file.push_back(0);
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

Bytes BgraFile(uint32_t depth, uint32_t width, uint32_t height, const Bytes& data) {
  Bytes file = {'B', 'G', 'R', 'A'};
  Put32(&file, depth);
  Put32(&file, width);
  Put32(&file, height);
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

}  // namespace kumo::decoder_test
