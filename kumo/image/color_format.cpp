#include "kumo/image/color_format.h"

#include <cstring>

#include "kumo/core/bodies.h"

namespace kumo {

namespace {

// The same, into a format record's byte-sized fields.
void MeasureFormatMask(uint32_t mask, uint8_t* shift, uint8_t* width) {
  int measuredShift = 0, measuredWidth = 0;
  MeasureMask(mask, &measuredShift, &measuredWidth);
  *shift = static_cast<uint8_t>(measuredShift);
  *width = static_cast<uint8_t>(measuredWidth);
}

uint32_t AllBits(int bits) { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u; }

// An 8-bit channel value in a channel of `width` bits (wider channels get it in their top bits).
uint32_t Narrow(int value, int width) {
  const uint32_t v = static_cast<uint32_t>(value) & 0xFFu;
  return width <= 8 ? v >> (8 - width) : v << (width - 8);
}

// A channel of `width` bits as 0..255.
int Widen(uint32_t value, int width) {
  if (width == 0) return 0;
  return static_cast<int>(uint64_t{value} * 255u / ((uint64_t{1} << width) - 1u));
}

uint32_t Rescale(uint32_t value, int fromWidth, int toWidth) {
  return toWidth >= fromWidth ? value << (toWidth - fromWidth) : value >> (fromWidth - toWidth);
}

void SetRgb(ColorFormat* format, int bits, uint32_t alphaMask) {
  BuildColorFormatBody(format, bits, 0xFF0000, 0xFF00, 0xFF, alphaMask);
}

}  // namespace

void MeasureMask(uint32_t mask, int* shift, int* width) {
  *shift = 0;
  *width = 0;
  if (mask == 0) return;
  while ((mask & 1u) == 0) {
    mask >>= 1;
    ++*shift;
  }
  while ((mask & 1u) != 0) {
    mask >>= 1;
    ++*width;
  }
}

int BuildColorFormatBody(ColorFormat* format, int bits, uint32_t redMask, uint32_t greenMask,
                         uint32_t blueMask, uint32_t alphaMask) {
  format->bitsPerPixel = static_cast<uint16_t>(bits);
  format->bytesPerPixel = static_cast<uint16_t>(bits / 8);
  format->redMask = redMask;
  format->greenMask = greenMask;
  format->blueMask = blueMask;
  format->alphaMask = alphaMask;
  format->padMask = AllBits(bits) & ~(redMask | greenMask | blueMask | alphaMask);
  MeasureFormatMask(redMask, &format->redShift, &format->redWidth);
  MeasureFormatMask(greenMask, &format->greenShift, &format->greenWidth);
  MeasureFormatMask(blueMask, &format->blueShift, &format->blueWidth);
  MeasureFormatMask(alphaMask, &format->alphaShift, &format->alphaWidth);
  MeasureFormatMask(format->padMask, &format->padShift, &format->padWidth);
  return 0;
}

int BuildDDPixelFormatBody(DDPIXELFORMAT* format, int bits, uint32_t redMask, uint32_t greenMask,
                           uint32_t blueMask, uint32_t alphaMask) {
  std::memset(format, 0, sizeof *format);
  format->dwSize = sizeof *format;
  format->dwFlags = DDPF_RGB;  // also with an alpha mask
  format->dwRGBBitCount = static_cast<uint32_t>(bits);
  format->dwRBitMask = redMask;
  format->dwGBitMask = greenMask;
  format->dwBBitMask = blueMask;
  format->dwRGBAlphaBitMask = alphaMask;
  return 0;
}

void SetIndexed8(ColorFormat* format) {
  // The masks describe the palette entries read as 32-bit values.
  SetRgb(format, 32, 0);
  format->bitsPerPixel = 8;
  format->bytesPerPixel = 1;
}

void SetGray8(ColorFormat* format) {
  SetIndexed8(format);
  for (int i = 0; i < 256; ++i) {
    format->palette[i][0] = static_cast<uint8_t>(i);
    format->palette[i][1] = static_cast<uint8_t>(i);
    format->palette[i][2] = static_cast<uint8_t>(i);
    format->palette[i][3] = 0;
  }
}

void SetBgr24(ColorFormat* format) { SetRgb(format, 24, 0); }

void SetArgb32(ColorFormat* format) { SetRgb(format, 32, 0xFF000000u); }

void FixPadMask(ColorFormat* format) {
  const int widths = format->redWidth + format->greenWidth + format->blueWidth + format->alphaWidth;
  format->padMask = widths == format->bitsPerPixel
                        ? 0
                        : AllBits(format->bitsPerPixel) & ~(format->redMask | format->greenMask |
                                                            format->blueMask | format->alphaMask);
}

uint32_t ColorToPixel(const ColorFormat& format, int red, int green, int blue, int alpha) {
  uint32_t pixel = (Narrow(blue, format.blueWidth) << format.blueShift) +
                   (Narrow(green, format.greenWidth) << format.greenShift) +
                   (Narrow(red, format.redWidth) << format.redShift) + format.padMask;
  if (format.alphaWidth != 0) pixel += Narrow(alpha, format.alphaWidth) << format.alphaShift;
  return pixel;
}

void PixelToColor(const ColorFormat& format, uint32_t pixel, int* red, int* green, int* blue,
                  int* alpha) {
  if (red != nullptr) *red = Widen((pixel & format.redMask) >> format.redShift, format.redWidth);
  if (green != nullptr) {
    *green = Widen((pixel & format.greenMask) >> format.greenShift, format.greenWidth);
  }
  if (blue != nullptr) {
    *blue = Widen((pixel & format.blueMask) >> format.blueShift, format.blueWidth);
  }
  if (alpha != nullptr) {
    *alpha = Widen((pixel & format.alphaMask) >> format.alphaShift, format.alphaWidth);
  }
}

uint32_t ConvertPixel(const ColorFormat& destination, const ColorFormat& source, uint32_t pixel) {
  const uint32_t red =
      Rescale((pixel & source.redMask) >> source.redShift, source.redWidth, destination.redWidth);
  const uint32_t green = Rescale((pixel & source.greenMask) >> source.greenShift, source.greenWidth,
                                 destination.greenWidth);
  const uint32_t blue = Rescale((pixel & source.blueMask) >> source.blueShift, source.blueWidth,
                                destination.blueWidth);
  const uint32_t alpha = source.alphaWidth == 0
                             ? destination.alphaMask >> destination.alphaShift
                             : Rescale((pixel & source.alphaMask) >> source.alphaShift,
                                       source.alphaWidth, destination.alphaWidth);
  // Shifts widen a channel into higher bits than the destination has: keep each to its mask.
  return ((alpha << destination.alphaShift) & destination.alphaMask) |
         ((blue << destination.blueShift) & destination.blueMask) |
         ((green << destination.greenShift) & destination.greenMask) |
         ((red << destination.redShift) & destination.redMask) | destination.padMask;
}

}  // namespace kumo
