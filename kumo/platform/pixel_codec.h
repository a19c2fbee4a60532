// Raw pixels of 1 to 4 bytes, and their colours as 0x00RRGGBB by their format's masks (or
// palette). Used only inside the platform layer.
#pragma once

#include <cstdint>

#include "kumo/platform/display_modes.h"

namespace kumo::platform {

inline uint32_t LoadPixel(const uint8_t* at, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= uint32_t{at[i]} << (8 * i);
  return value;
}

inline void StorePixel(uint8_t* at, int bytes, uint32_t value) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline int BytesPerPixel(const PixelFormat& format) {
  return static_cast<int>((format.bitsPerPixel + 7) / 8);
}

inline bool SamePixelFormat(const PixelFormat& a, const PixelFormat& b) {
  return a.flags == b.flags && a.bitsPerPixel == b.bitsPerPixel && a.redMask == b.redMask &&
         a.greenMask == b.greenMask && a.blueMask == b.blueMask && a.alphaMask == b.alphaMask &&
         a.depthMask == b.depthMask;
}

// Scaling by the nearest pixel: the source position for a destination position along one axis,
// taken at the pixel's centre. Lengths are taken wide: a clipped rectangle may be far larger
// than its surface.
inline int NearestSource(int64_t position, int64_t destinationStart, int64_t destinationLength,
                         int sourceStart, int sourceLength) {
  const int64_t offset = position - destinationStart;
  return sourceStart + static_cast<int>((2 * offset + 1) * sourceLength / (2 * destinationLength));
}

// The bits of a pixel that carry its colour, index or depth; blits compare keys on these.
uint32_t MeaningfulBits(const PixelFormat& format);

// A format's channels measured once, for converting many pixels.
struct PixelCodec {
  int bytes;
  bool indexed;
  const uint32_t* palette;  // indexed: 256 colours as 0x00RRGGBB
  uint32_t mask[3];         // red, green, blue
  int shift[3], width[3];
};
PixelCodec MakePixelCodec(const PixelFormat& format, const uint32_t* palette);

// A channel's bits widened to 8 by repeating them, so that full scale stays full scale, and the
// way back, which gives the same bits again.
uint32_t PixelToRgb(const PixelCodec& codec, uint32_t pixel);
// A run of pixels at once; the display's own 16- and 32-bit layouts take a short way.
void RowToRgb(const PixelCodec& codec, const uint8_t* pixels, uint32_t* rgb, int count);
// Indexed formats take the nearest palette colour (the lowest index on a tie).
uint32_t RgbToPixel(const PixelCodec& codec, uint32_t rgb);

}  // namespace kumo::platform
