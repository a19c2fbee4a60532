// BMP files, the Windows bitmap format. RLE8, RLE4 and uncompressed 4, 8 and 24 bits come out
// as stored (indexed or 24-bit); 1 bit, 16 and 32 bits and bit fields are converted to 24-bit
// rows, 16 bits as 5-5-5 unless masks are given.
#include <cstdint>
#include <cstring>

#include "kumo/image/color_format.h"
#include "kumo/image/decoder_input.h"
#include "kumo/image/decoders.h"
#include "kumo/support/log.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

struct Bitmap {
  int width;
  int height;     // lines, always positive
  bool bottomUp;  // the first stored line is the bottom one
  int bits;
  uint32_t compression;
  int64_t rowSize;         // bytes of one stored line, padded to 4
  uint32_t masks[3];       // red, green, blue, for the converted layouts
  uint8_t colors[256][4];  // blue, green, red, reserved; entries past the file's are 0
  const uint8_t* data;     // everything from the pixel-data offset to the end
  int64_t dataSize;
};

// The stored line that shows as line `y` of the picture.
const uint8_t* StoredRow(const Bitmap& bitmap, int y) {
  const int stored = bitmap.bottomUp ? bitmap.height - 1 - y : y;
  return bitmap.data + stored * bitmap.rowSize;
}

bool LayoutIsKnown(int bits, uint32_t compression) {
  switch (compression) {
    case kRgb:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kRle8:
      return bits == 8;
    case kRle4:
      return bits == 4;
    case kBitFields:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

void CopyPalette(const Bitmap& bitmap, int entries, ColorFormat* format) {
  SetIndexed8(format);
  std::memset(format->palette, 0, sizeof format->palette);
  for (int i = 0; i < entries; ++i) {
    std::memcpy(format->palette[i], bitmap.colors[i], 3);
    format->palette[i][3] = 0;
  }
}

int64_t IndexedPitch(int width) { return (int64_t{width} + 3) / 4 * 4; }

// Runs are laid along the stored lines, the first of which is the bottom one of a bottom-up
// file. A line's runs may fill its padding up to the pitch (some writers encode it), but a run
// or delta that would leave the block fails; so does data that ends, without an end-of-bitmap
// mark, before the last line is full.
bool DecodeRle(const Bitmap& bitmap, bool fourBits, GraphImage* image) {
  const uint8_t* in = bitmap.data;
  const int64_t size = bitmap.dataSize;
  const int width = bitmap.width;
  const int lineEnd = image->pitch;
  const int height = bitmap.height;
  int64_t at = 0;
  int x = 0;
  int y = 0;
  auto row = [&](int line) {
    const int shown = bitmap.bottomUp ? height - 1 - line : line;
    return static_cast<uint8_t*>(image->pixels) + static_cast<int64_t>(shown) * image->pitch;
  };
  for (;;) {
    if (at + 2 > size) return y >= height || (y == height - 1 && x >= width);
    const int count = in[at];
    const int value = in[at + 1];
    at += 2;
    if (count > 0) {
      if (y >= height || count > lineEnd - x) return false;
      uint8_t* out = row(y) + x;
      for (int i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>(!fourBits ? value : (i & 1) == 0 ? value >> 4 : value & 15);
      }
      x += count;
      continue;
    }
    switch (value) {
      case 0:  // end of line
        if (y >= height) return false;
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return true;
      case 2: {  // delta
        if (at + 2 > size) return false;
        const int right = in[at];
        const int down = in[at + 1];
        at += 2;
        if (right > lineEnd - x || y + down >= height) return false;
        x += right;
        y += down;
        break;
      }
      default: {  // absolute run of `value` pixels, padded to an even offset
        const int64_t bytes = fourBits ? (value + 1) / 2 : value;
        if (at + bytes > size || y >= height || value > lineEnd - x) return false;
        uint8_t* out = row(y) + x;
        for (int i = 0; i < value; ++i) {
          const int byte = in[at + (fourBits ? i / 2 : i)];
          out[i] = static_cast<uint8_t>(!fourBits ? byte : (i & 1) == 0 ? byte >> 4 : byte & 15);
        }
        x += value;
        at += bytes + (bytes & 1);
        break;
      }
    }
  }
}

bool DecodeRleImage(const Bitmap& bitmap, GraphImage* image) {
  const bool fourBits = bitmap.compression == kRle4;
  CopyPalette(bitmap, fourBits ? 16 : 256, &image->format);
  const int64_t pitch = IndexedPitch(bitmap.width);
  if (pitch > kMostUnboundedImageBytes / bitmap.height) return false;
  const int64_t bytes = pitch * bitmap.height;
  image->pitch = static_cast<int>(pitch);
  image->pixels = TakeBlock(bytes, true);
  if (image->pixels == nullptr) return false;
  if (!DecodeRle(bitmap, fourBits, image)) {
    TrackedFree(image->pixels);
    image->pixels = nullptr;
    return false;
  }
  return true;
}

bool DecodeFourBits(const Bitmap& bitmap, GraphImage* image) {
  CopyPalette(bitmap, 16, &image->format);
  const int64_t pitch = IndexedPitch(bitmap.width);
  image->pixels = TakeBlock(pitch * bitmap.height, false);
  if (image->pixels == nullptr) return false;
  image->pitch = static_cast<int>(pitch);
  for (int y = 0; y < bitmap.height; ++y) {
    const uint8_t* in = StoredRow(bitmap, y);
    uint8_t* out = static_cast<uint8_t*>(image->pixels) + static_cast<int64_t>(y) * image->pitch;
    for (int x = 0; x < bitmap.width; ++x) {
      out[x] = static_cast<uint8_t>((x & 1) == 0 ? in[x / 2] >> 4 : in[x / 2] & 15);
    }
  }
  return true;
}

// A channel of `width` bits as 0..255, its bits repeated downwards so that full stays full.
uint8_t Expand(uint32_t value, int width) {
  if (width == 0) return 0;
  if (width >= 8) return static_cast<uint8_t>(value >> (width - 8));
  uint32_t result = 0;
  for (int filled = 0; filled < 8; filled += width) result |= value << (8 - width) >> filled;
  return static_cast<uint8_t>(result);
}

// 1 bit through the colour table, 16 and 32 bits by masks, into top-down 24-bit rows.
bool ConvertToBgr24(const Bitmap& bitmap, GraphImage* image) {
  if (CreateBgr24Image(bitmap.width, bitmap.height, image) != 0) {
    LogWrite("２４ビットカラー化したグラフィックを格納するメモリ領域の確保に失敗しました\n");
    return false;
  }
  int shifts[3], widths[3];
  for (int c = 0; c < 3; ++c) MeasureMask(bitmap.masks[c], &shifts[c], &widths[c]);
  for (int y = 0; y < bitmap.height; ++y) {
    const uint8_t* in = StoredRow(bitmap, y);
    uint8_t* out = static_cast<uint8_t*>(image->pixels) + static_cast<int64_t>(y) * image->pitch;
    for (int x = 0; x < bitmap.width; ++x, out += 3) {
      if (bitmap.bits == 1) {
        std::memcpy(out, bitmap.colors[(in[x / 8] >> (7 - x % 8)) & 1], 3);
        continue;
      }
      const uint32_t pixel = bitmap.bits == 16 ? Le16(in + 2 * x) : Le32(in + 4 * x);
      for (int c = 0; c < 3; ++c) {
        // Stored blue, green, red: channel c (red first) goes to byte 2 - c.
        out[2 - c] = Expand((pixel & bitmap.masks[c]) >> shifts[c], widths[c]);
      }
    }
  }
  return true;
}

// 8 and 24 bits: a top-down file's bytes are the picture as they are; a bottom-up one's lines
// are put in order in a new block.
bool UseStoredRows(Bitmap* bitmap, uint8_t* data, GraphImage* image) {
  if (bitmap->bits == 8) {
    CopyPalette(*bitmap, 256, &image->format);
  } else {
    SetBgr24(&image->format);
  }
  image->pitch = static_cast<int>(bitmap->rowSize);
  if (!bitmap->bottomUp) {
    image->pixels = data;
    return true;
  }
  image->pixels = TakeBlock(bitmap->rowSize * bitmap->height, false);
  if (image->pixels == nullptr) return false;
  for (int y = 0; y < bitmap->height; ++y) {
    std::memcpy(static_cast<uint8_t*>(image->pixels) + y * bitmap->rowSize, StoredRow(*bitmap, y),
                static_cast<size_t>(bitmap->rowSize));
  }
  return true;
}

// The headers: the file header, the information header (40 bytes or a later, longer kind), the
// masks of a bit-field file and the colour table of an indexed one.
bool ReadHeaders(const StreamSource& source, int length, Bitmap* bitmap, uint32_t* dataOffset) {
  uint8_t file[kFileHeaderSize];
  uint8_t info[kInfoHeaderSize];
  if (!ReadExact(source, file, sizeof file) || file[0] != 'B' || file[1] != 'M') return false;
  if (!ReadExact(source, info, sizeof info)) return false;
  const uint32_t infoSize = Le32(info);
  *dataOffset = Le32(file + 10);
  const int32_t width = static_cast<int32_t>(Le32(info + 4));
  const int32_t height = static_cast<int32_t>(Le32(info + 8));
  bitmap->bits = Le16(info + 14);
  bitmap->compression = Le32(info + 16);
  // Shorter headers have another layout; a header cannot go past the file.
  if (infoSize < kInfoHeaderSize || infoSize > static_cast<uint32_t>(length - kFileHeaderSize)) {
    return false;
  }
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  if (!LayoutIsKnown(bitmap->bits, bitmap->compression)) return false;
  if (*dataOffset > static_cast<uint32_t>(length)) return false;
  bitmap->width = width;
  bitmap->height = height < 0 ? -height : height;
  bitmap->bottomUp = height > 0;
  bitmap->rowSize = (int64_t{bitmap->bits} * width + 7) / 8 + 3;
  bitmap->rowSize -= bitmap->rowSize % 4;

  if (bitmap->compression == kBitFields) {
    // Right after the 40 bytes: inside a longer header, or following a short one.
    uint8_t masks[12];
    if (!ReadExact(source, masks, sizeof masks)) return false;
    for (int c = 0; c < 3; ++c) bitmap->masks[c] = Le32(masks + 4 * c);
    if (!MasksAreSound(bitmap->bits, bitmap->masks, 3)) return false;
  } else if (bitmap->bits == 16) {
    const uint32_t rgb555[3] = {0x7C00, 0x03E0, 0x001F};
    std::memcpy(bitmap->masks, rgb555, sizeof rgb555);
  } else {
    const uint32_t rgb888[3] = {0xFF0000, 0xFF00, 0xFF};
    std::memcpy(bitmap->masks, rgb888, sizeof rgb888);
  }

  std::memset(bitmap->colors, 0, sizeof bitmap->colors);
  if (bitmap->bits <= 8) {
    // 2^bits entries whatever the header says it uses; a small file may end inside them.
    const int64_t tableAt = kFileHeaderSize + int64_t{infoSize};
    int64_t bytes = int64_t{4} << bitmap->bits;
    if (bytes > length - tableAt) bytes = length - tableAt;
    if (!SeekTo(source, tableAt, length) || !ReadExact(source, bitmap->colors, bytes)) {
      return false;
    }
  }
  return true;
}

}  // namespace

int DecodeBmp(const StreamSource& source, GraphImage* image) {
  const int length = StreamLength(source);
  if (length < kFileHeaderSize + kInfoHeaderSize) return -1;
  // The colour table alone is a kilobyte; keep the record off the stack.
  Bitmap* bitmap = static_cast<Bitmap*>(TakeBlock(sizeof(Bitmap), false));
  if (bitmap == nullptr) return -1;
  uint32_t dataOffset = 0;
  uint8_t* data = nullptr;
  bool decoded = false;
  image->pixels = nullptr;
  if (ReadHeaders(source, length, bitmap, &dataOffset)) {
    bitmap->dataSize = length - int64_t{dataOffset};
    const bool runLength = bitmap->compression == kRle8 || bitmap->compression == kRle4;
    // Stored lines must all be there before anything is taken for them.
    const bool complete = runLength || bitmap->rowSize <= bitmap->dataSize / bitmap->height;
    if (complete && SeekTo(source, dataOffset, length)) {
      data = static_cast<uint8_t*>(TakeBlock(bitmap->dataSize, false));
    }
    if (data != nullptr && ReadExact(source, data, bitmap->dataSize)) {
      bitmap->data = data;
      if (runLength) {
        decoded = DecodeRleImage(*bitmap, image);
      } else if (bitmap->compression == kRgb && bitmap->bits == 4) {
        decoded = DecodeFourBits(*bitmap, image);
      } else if (bitmap->compression == kRgb && (bitmap->bits == 8 || bitmap->bits == 24)) {
        decoded = UseStoredRows(bitmap, data, image);
      } else {
        decoded = ConvertToBgr24(*bitmap, image);
      }
    }
  }
  if (decoded) {
    image->width = bitmap->width;
    image->height = bitmap->height;
  }
  if (data != image->pixels) TrackedFree(data);
  TrackedFree(bitmap);
  return decoded ? 0 : -1;
}

}  // namespace kumo
