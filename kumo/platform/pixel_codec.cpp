#include "kumo/platform/pixel_codec.h"

namespace kumo::platform {

namespace {

void Measure(uint32_t mask, int* shift, int* width) {
  *shift = 0;
  *width = 0;
  if (mask == 0) return;
  while (((mask >> *shift) & 1u) == 0) *shift += 1;
  while (*shift + *width < 32 && ((mask >> (*shift + *width)) & 1u) != 0) *width += 1;
}

uint32_t Widen(uint32_t value, int width) {
  if (width == 0) return 0;
  if (width >= 8) return (value >> (width - 8)) & 0xFFu;
  uint32_t wide = 0;
  for (int filled = 0; filled < 8; filled += width) wide |= (value << (8 - width)) >> filled;
  return wide & 0xFFu;
}

uint32_t Narrow(uint32_t value, int width) {
  if (width >= 8) return value << (width - 8);
  return value >> (8 - width);
}

}  // namespace

uint32_t MeaningfulBits(const PixelFormat& format) {
  if ((format.flags & kPixelDepth) != 0) return format.depthMask;
  if ((format.flags & kPixelIndexed8) != 0) return 0xFFu;
  uint32_t bits = format.redMask | format.greenMask | format.blueMask;
  if ((format.flags & kPixelAlpha) != 0) bits |= format.alphaMask;
  return bits;
}

PixelCodec MakePixelCodec(const PixelFormat& format, const uint32_t* palette) {
  PixelCodec codec{};
  codec.bytes = BytesPerPixel(format);
  codec.indexed = (format.flags & kPixelIndexed8) != 0;
  codec.palette = palette;
  codec.mask[0] = format.redMask;
  codec.mask[1] = format.greenMask;
  codec.mask[2] = format.blueMask;
  for (int c = 0; c < 3; ++c) Measure(codec.mask[c], &codec.shift[c], &codec.width[c]);
  return codec;
}

uint32_t PixelToRgb(const PixelCodec& codec, uint32_t pixel) {
  if (codec.indexed) return codec.palette[pixel & 0xFFu] & 0xFFFFFFu;
  uint32_t rgb = 0;
  for (int c = 0; c < 3; ++c) {
    const uint32_t channel = (pixel & codec.mask[c]) >> codec.shift[c];
    rgb |= Widen(channel, codec.width[c]) << (16 - 8 * c);
  }
  return rgb;
}

void RowToRgb(const PixelCodec& codec, const uint8_t* pixels, uint32_t* rgb, int count) {
  // The screen formats the window system shows most get a loop of their own.
  if (codec.bytes == 4 && codec.mask[0] == 0xFF0000u && codec.mask[1] == 0xFF00u &&
      codec.mask[2] == 0xFFu) {
    for (int i = 0; i < count; ++i) rgb[i] = LoadPixel(pixels + 4 * i, 4) & 0xFFFFFFu;
  } else if (codec.bytes == 2 && codec.mask[0] == 0xF800u && codec.mask[1] == 0x07E0u &&
             codec.mask[2] == 0x001Fu) {
    for (int i = 0; i < count; ++i) {
      const uint32_t pixel = LoadPixel(pixels + 2 * i, 2);
      const uint32_t r = (pixel >> 11) & 0x1F, g = (pixel >> 5) & 0x3F, b = pixel & 0x1F;
      rgb[i] = (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
    }
  } else {
    for (int i = 0; i < count; ++i) {
      rgb[i] = PixelToRgb(codec, LoadPixel(pixels + i * codec.bytes, codec.bytes));
    }
  }
}

uint32_t RgbToPixel(const PixelCodec& codec, uint32_t rgb) {
  if (codec.indexed) {
    uint32_t best = 0;
    int bestDistance = 1 << 30;
    for (uint32_t i = 0; i < 256; ++i) {
      int distance = 0;
      for (int c = 0; c < 3; ++c) {
        const int d = static_cast<int>((rgb >> (16 - 8 * c)) & 0xFFu) -
                      static_cast<int>((codec.palette[i] >> (16 - 8 * c)) & 0xFFu);
        distance += d * d;
      }
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
      }
    }
    return best;
  }
  uint32_t pixel = 0;
  for (int c = 0; c < 3; ++c) {
    const uint32_t channel = (rgb >> (16 - 8 * c)) & 0xFFu;
    pixel |= (Narrow(channel, codec.width[c]) << codec.shift[c]) & codec.mask[c];
  }
  return pixel;
}

}  // namespace kumo::platform
