// TGA files (Truevision): colour-mapped and true-colour, stored or run-length encoded, 16, 24
// or 32 bits, in any of the four line and pixel orders. The output is top-down, left to right.
#include <cstdint>
#include <cstring>

#include "kumo/core/bodies.h"
#include "kumo/image/color_format.h"
#include "kumo/image/decoder_input.h"
#include "kumo/image/decoders.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

constexpr int kHeaderSize = 18;
constexpr int kFooterSize = 26;
constexpr int kMostSide = 4095;
constexpr char kSignature[] = "TRUEVISION-XFILE";

enum ImageType { kMapped = 1, kTrueColor = 2, kMappedRle = 9, kTrueColorRle = 10 };

struct Targa {
  int width, height;
  int bytesPerPixel;     // of the output
  int storedBytes;       // of one stored value: an index (1) or a pixel
  uint8_t map[256 * 4];  // colour map, entry i at i * bytesPerPixel; unset entries 0
};

bool HasFooter(const StreamSource& source, int length) {
  uint8_t footer[kFooterSize];
  if (length < kHeaderSize + kFooterSize || !SeekTo(source, length - kFooterSize, length) ||
      !ReadExact(source, footer, sizeof footer)) {
    return false;
  }
  return Le32(footer) == 0 && std::memcmp(footer + 8, kSignature, 16) == 0;
}

// One stored value (an index or a pixel) written out as a pixel.
void PutValue(const Targa& targa, const uint8_t* value, uint8_t* out) {
  const uint8_t* pixel = targa.storedBytes == 1 ? targa.map + *value * targa.bytesPerPixel : value;
  std::memcpy(out, pixel, static_cast<size_t>(targa.bytesPerPixel));
}

// Packets until the picture is full; a last packet is cut at the pixel count.
bool DecodeRle(const Targa& targa, const uint8_t* in, int64_t size, uint8_t* out) {
  const int64_t pixels = int64_t{targa.width} * targa.height;
  const int stored = targa.storedBytes;
  int64_t at = 0;
  for (int64_t done = 0; done < pixels;) {
    if (at >= size) return false;
    const int header = in[at++];
    int64_t count = (header & 0x7F) + 1;
    if (count > pixels - done) count = pixels - done;
    const bool repeated = (header & 0x80) != 0;
    const int64_t bytes = repeated ? stored : count * stored;
    if (at + bytes > size) return false;
    for (int64_t i = 0; i < count; ++i, ++done) {
      PutValue(targa, in + at + (repeated ? 0 : i * stored), out + done * targa.bytesPerPixel);
    }
    at += bytes;
  }
  return true;
}

// Lines swapped top for bottom, pixels within lines reversed, in place.
void Reorient(const Targa& targa, bool bottomUp, bool rightToLeft, uint8_t* pixels) {
  const int bytes = targa.bytesPerPixel;
  const int64_t pitch = int64_t{targa.width} * bytes;
  uint8_t swap[4];
  if (bottomUp) {
    for (int top = 0, bottom = targa.height - 1; top < bottom; ++top, --bottom) {
      uint8_t* a = pixels + top * pitch;
      uint8_t* b = pixels + bottom * pitch;
      for (int64_t i = 0; i < pitch; ++i) {
        const uint8_t t = a[i];
        a[i] = b[i];
        b[i] = t;
      }
    }
  }
  if (rightToLeft) {
    for (int y = 0; y < targa.height; ++y) {
      uint8_t* line = pixels + y * pitch;
      for (int left = 0, right = targa.width - 1; left < right; ++left, --right) {
        std::memcpy(swap, line + left * bytes, bytes);
        std::memcpy(line + left * bytes, line + right * bytes, bytes);
        std::memcpy(line + right * bytes, swap, bytes);
      }
    }
  }
}

}  // namespace

int DecodeTga(const StreamSource& source, GraphImage* image) {
  const int length = StreamLength(source);
  if (length < kHeaderSize) return -1;
  const bool footer = HasFooter(source, length);
  uint8_t header[kHeaderSize];
  if (!SeekTo(source, 0, length) || !ReadExact(source, header, sizeof header)) return -1;
  const int idLength = header[0];
  const int mapType = header[1];
  const int type = header[2];
  const int mapFirst = Le16(header + 3);
  const int mapLength = Le16(header + 5);
  const int mapEntryBits = header[7];
  const int width = Le16(header + 12);
  const int height = Le16(header + 14);
  const int pixelBits = header[16];
  const int descriptor = header[17];

  if (type != kMapped && type != kTrueColor && type != kMappedRle && type != kTrueColorRle) {
    return -1;
  }
  if (Le16(header + 8) != 0 || Le16(header + 10) != 0) return -1;
  if (width == 0 || height == 0 || width > kMostSide || height > kMostSide) return -1;
  const bool mapped = type == kMapped || type == kMappedRle;
  const int depth = mapped ? mapEntryBits : pixelBits;
  if (depth != 16 && depth != 24 && depth != 32) return -1;
  // A colour map is a one-byte index into at most 256 entries.
  if (mapped && (mapType != 1 || pixelBits != 8 || mapFirst + mapLength > 256)) return -1;

  Targa* targa = static_cast<Targa*>(TakeBlock(sizeof(Targa), true));
  if (targa == nullptr) return -1;
  targa->width = width;
  targa->height = height;
  targa->bytesPerPixel = depth / 8;
  targa->storedBytes = mapped ? 1 : targa->bytesPerPixel;

  // A map in a true-colour file describes nothing here, but its bytes come before the pixels.
  const int mapEntryBytes = (mapEntryBits + 7) / 8;
  const int64_t mapBytes = mapType == 1 ? int64_t{mapLength} * mapEntryBytes : 0;
  const int64_t pixelsAt = kHeaderSize + idLength + mapBytes;
  const int64_t end = footer ? length - kFooterSize : length;
  const int64_t outBytes = int64_t{width} * height * targa->bytesPerPixel;
  const bool runLength = type == kMappedRle || type == kTrueColorRle;
  const int64_t inBytes = runLength ? end - pixelsAt : int64_t{width} * height * targa->storedBytes;

  uint8_t* pixels = nullptr;
  uint8_t* in = nullptr;
  bool decoded = false;
  if (pixelsAt <= end && inBytes <= end - pixelsAt &&
      SeekTo(source, kHeaderSize + idLength, length)) {
    bool ready = true;
    if (mapped) {
      ready = ReadExact(source, targa->map + mapFirst * targa->bytesPerPixel, mapBytes);
    } else if (mapBytes > 0) {
      ready = SeekTo(source, pixelsAt, length);
    }
    pixels = ready ? static_cast<uint8_t*>(TakeBlock(outBytes, false)) : nullptr;
  }
  if (pixels != nullptr) {
    if (type == kTrueColor) {
      decoded = ReadExact(source, pixels, outBytes);
    } else {
      in = static_cast<uint8_t*>(TakeBlock(inBytes, false));
      if (in != nullptr && ReadExact(source, in, inBytes)) {
        if (runLength) {
          decoded = DecodeRle(*targa, in, inBytes, pixels);
        } else {
          for (int64_t i = 0; i < inBytes; ++i) {
            PutValue(*targa, in + i, pixels + i * targa->bytesPerPixel);
          }
          decoded = true;
        }
      }
    }
  }
  if (decoded) {
    Reorient(*targa, (descriptor & 0x20) == 0, (descriptor & 0x10) != 0, pixels);
    switch (depth) {
      case 16:
        BuildColorFormatBody(&image->format, 16, 0x7C00, 0x03E0, 0x001F, 0);
        break;
      case 24:
        SetBgr24(&image->format);
        break;
      default:
        SetArgb32(&image->format);
        break;
    }
    image->width = width;
    image->height = height;
    image->pitch = width * targa->bytesPerPixel;
    image->pixels = pixels;
  } else {
    TrackedFree(pixels);
  }
  TrackedFree(in);
  TrackedFree(targa);
  return decoded ? 0 : -1;
}

}  // namespace kumo
