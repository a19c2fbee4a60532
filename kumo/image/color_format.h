// Pixel formats: building a ColorFormat from a bit count and masks, the fixed formats the
// decoders write, and the per-pixel conversions between colour values and pixels.
#pragma once

#include <cstdint>

#include "kumo/kumo.h"

namespace kumo {

// DDPIXELFORMAT's flag for a format described by RGB masks.
constexpr uint32_t DDPF_RGB = 0x40;

// The lowest set bit of a channel mask and the run of set bits from there; both 0 for none.
void MeasureMask(uint32_t mask, int* shift, int* width);

// The fixed formats. SetGray8 also fills the palette with the grey ramp; SetIndexed8 leaves the
// palette as it is, for the decoder to fill from its file.
void SetIndexed8(ColorFormat* format);
void SetGray8(ColorFormat* format);
void SetBgr24(ColorFormat* format);
void SetArgb32(ColorFormat* format);

// Recomputes padMask after masks were set by hand: 0 when the channel widths fill the pixel,
// else every bit of the pixel that belongs to no channel.
void FixPadMask(ColorFormat* format);

// A raw pixel from 0..255 channel values; the pad bits are always set.
uint32_t ColorToPixel(const ColorFormat& format, int red, int green, int blue, int alpha);

// A raw pixel's channels as 0..255 values; any output may be none. Alpha is 0 without an alpha
// channel.
void PixelToColor(const ColorFormat& format, uint32_t pixel, int* red, int* green, int* blue,
                  int* alpha);

// Re-encodes one raw pixel; a source without alpha gives a fully opaque one.
uint32_t ConvertPixel(const ColorFormat& destination, const ColorFormat& source, uint32_t pixel);

}  // namespace kumo
