// DDS files: the top-level image of an uncompressed surface, described by RGB masks or by one
// of the Direct3D format numbers below. Block-compressed surfaces are not read.
#include <cstdint>

#include "kumo/core/bodies.h"
#include "kumo/image/decoder_input.h"
#include "kumo/image/decoders.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

constexpr int kMagicSize = 4;
constexpr int kDescriptionSize = 124;
constexpr uint32_t kPitchPresent = 0x8;
constexpr uint32_t kFourCcOnly = 0x4;
constexpr uint32_t kRgbFlag = 0x40;

struct FourCcFormat {
  uint32_t fourCc;
  int bits;
  uint32_t red, green, blue, alpha;
};

constexpr FourCcFormat kFourCcFormats[] = {
    {20, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {21, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {22, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {23, 16, 0xF800, 0x07E0, 0x001F, 0},  // R5G6B5
    {24, 16, 0x7C00, 0x03E0, 0x001F, 0},
    {25, 16, 0x7C00, 0x03E0, 0x001F, 0x8000},
    {26, 16, 0x0F00, 0x00F0, 0x000F, 0xF000},
    {27, 8, 0xE0, 0x1C, 0x03, 0},
    {29, 16, 0xE0, 0x1C, 0x03, 0xFF00},
    {30, 16, 0x0F00, 0x00F0, 0x000F, 0},
    {31, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000},
    {32, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000},
    {33, 32, 0xFF, 0xFF00, 0xFF0000, 0},
    {35, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},
};

}  // namespace

int DecodeDds(const StreamSource& source, GraphImage* image) {
  const int length = StreamLength(source);
  uint8_t magic[kMagicSize];
  uint8_t description[kDescriptionSize];
  if (!ReadExact(source, magic, sizeof magic) || magic[0] != 'D' || magic[1] != 'D' ||
      magic[2] != 'S' || !ReadExact(source, description, sizeof description)) {
    return -1;
  }
  const uint32_t flags = Le32(description + 4);
  const uint32_t height = Le32(description + 8);
  const uint32_t width = Le32(description + 12);
  const uint32_t pitchField = Le32(description + 16);
  const uint8_t* pixelFormat = description + 72;
  const uint32_t formatFlags = Le32(pixelFormat + 4);
  const uint32_t fourCc = Le32(pixelFormat + 8);

  int bits = 0;
  uint32_t masks[4] = {};
  if ((formatFlags & kRgbFlag) != 0) {
    bits = static_cast<int>(Le32(pixelFormat + 12));
    for (int c = 0; c < 4; ++c) masks[c] = Le32(pixelFormat + 16 + 4 * c);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return -1;
    if (!MasksAreSound(bits, masks, 4)) return -1;
  } else if (formatFlags == kFourCcOnly) {
    for (const FourCcFormat& row : kFourCcFormats) {
      if (row.fourCc != fourCc) continue;
      bits = row.bits;
      masks[0] = row.red;
      masks[1] = row.green;
      masks[2] = row.blue;
      masks[3] = row.alpha;
    }
  }
  if (bits == 0) return -1;

  if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return -1;
  const int64_t lineBytes = int64_t{bits / 8} * width;
  const int64_t pitch = (flags & kPitchPresent) != 0 ? int64_t{pitchField} : lineBytes;
  // Lines may be padded but not overlap; all of them must be in the file.
  if (pitch < lineBytes || pitch > INT32_MAX) return -1;
  if (pitch > (length - (kMagicSize + kDescriptionSize)) / int64_t{height}) return -1;
  const int64_t bytes = pitch * height;
  void* pixels = TakeBlock(bytes, false);
  if (pixels == nullptr) return -1;
  if (!ReadExact(source, pixels, bytes)) {
    TrackedFree(pixels);
    return -1;
  }
  BuildColorFormatBody(&image->format, bits, masks[0], masks[1], masks[2], masks[3]);
  image->width = static_cast<int>(width);
  image->height = static_cast<int>(height);
  image->pitch = static_cast<int>(pitch);
  image->pixels = pixels;
  return 0;
}

}  // namespace kumo
