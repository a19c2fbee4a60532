#include "kumo/render/convert_pixels.h"

#include <emmintrin.h>

#include <cstddef>
#include <cstring>

#include "kumo/image/color_format.h"

namespace kumo {

namespace {

// The formats the direct routes know by their bits and masks.
enum class Layout { Other, Palette8, R5G6B5, X1R5G5B5, A1R5G5B5, X8R8G8B8, A8R8G8B8, Bgr24 };

bool Masks(const ColorFormat& f, uint32_t red, uint32_t green, uint32_t blue) {
  return f.redMask == red && f.greenMask == green && f.blueMask == blue;
}

Layout Classify(const ColorFormat& f) {
  switch (f.bitsPerPixel) {
    case 8:
      return Layout::Palette8;
    case 16:
      if (Masks(f, 0xF800, 0x07E0, 0x001F) && f.alphaMask == 0) return Layout::R5G6B5;
      if (Masks(f, 0x7C00, 0x03E0, 0x001F) && f.alphaMask == 0) return Layout::X1R5G5B5;
      if (Masks(f, 0x7C00, 0x03E0, 0x001F) && f.alphaMask == 0x8000) return Layout::A1R5G5B5;
      return Layout::Other;
    case 24:
      return Masks(f, 0xFF0000, 0xFF00, 0xFF) ? Layout::Bgr24 : Layout::Other;
    case 32:
      if (!Masks(f, 0xFF0000, 0xFF00, 0xFF)) return Layout::Other;
      if (f.alphaMask == 0) return Layout::X8R8G8B8;
      return f.alphaMask == 0xFF000000u ? Layout::A8R8G8B8 : Layout::Other;
    default:
      return Layout::Other;
  }
}

uint8_t* Line(const PixelBlock& block, int y) {
  return static_cast<uint8_t*>(block.pixels) + static_cast<ptrdiff_t>(y) * block.pitch;
}

uint32_t Read(const uint8_t* line, int x, int bytes) {
  const uint8_t* at = line + static_cast<ptrdiff_t>(x) * bytes;
  switch (bytes) {
    case 1:
      return at[0];
    case 2:
      return uint32_t{at[0]} | uint32_t{at[1]} << 8;
    case 3:
      return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16;
    default:
      return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
  }
}

void Write(uint8_t* line, int x, int bytes, uint32_t value) {
  uint8_t* at = line + static_cast<ptrdiff_t>(x) * bytes;
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// A palette entry (blue, green, red, reserved) read as one value: 0x00RRGGBB.
uint32_t PaletteEntry(const ColorFormat& f, uint32_t index) {
  const uint8_t* entry = f.palette[index & 0xFF];
  return uint32_t{entry[0]} | uint32_t{entry[1]} << 8 | uint32_t{entry[2]} << 16 |
         uint32_t{entry[3]} << 24;
}

// A channel of `from` bits in `to` bits: a narrower channel drops low bits, a wider one is
// stretched so that the full value stays full (5 bits to 8: 31 -> 255, 16 -> 131).
uint32_t Scale(uint32_t c, int from, int to) {
  if (from == to) return c;
  if (to < from) return c >> (from - to);
  if (from == 0) return 0;
  const int d = to - from;
  return (c << d) + static_cast<uint32_t>(uint64_t{c} * ((uint64_t{1} << d) - 1) /
                                          ((uint64_t{1} << from) - 1));
}

uint32_t Channel(uint32_t value, uint32_t mask, int shift) { return (value & mask) >> shift; }

// The colour 0x00RRGGBB truncated to R5 G6 B5 or X1 R5 G5 B5 (without bit 15).
uint32_t To565(uint32_t rgb) {
  return ((rgb >> 19) & 0x1F) << 11 | ((rgb >> 10) & 0x3F) << 5 | ((rgb >> 3) & 0x1F);
}
uint32_t To555(uint32_t rgb) {
  return ((rgb >> 19) & 0x1F) << 10 | ((rgb >> 11) & 0x1F) << 5 | ((rgb >> 3) & 0x1F);
}
uint32_t From565(uint32_t p) {
  return (((p >> 11) & 0x1F) << 19) | (((p >> 5) & 0x3F) << 10) | ((p & 0x1F) << 3);
}
uint32_t R5G6B5ToX1R5G5B5(uint32_t p) { return ((p & 0xFFC0) >> 1) | (p & 0x1F); }
uint32_t X1R5G5B5ToR5G6B5(uint32_t p) { return ((p & 0x7FE0) << 1) | (p & 0x20) | (p & 0x1F); }

// The two 16-bit repacks, eight pixels a step with SSE2, then the rest one by one.
void RepackLine16(const uint8_t* source, uint8_t* destination, int width, bool toX1R5G5B5) {
  int x = 0;
  const __m128i blue = _mm_set1_epi16(0x001F);
  for (; x + 8 <= width; x += 8) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 2 * x));
    __m128i out;
    if (toX1R5G5B5) {
      out = _mm_or_si128(_mm_srli_epi16(_mm_and_si128(p, _mm_set1_epi16(-64)), 1),
                         _mm_and_si128(p, blue));
    } else {
      out = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(p, _mm_set1_epi16(0x7FE0)), 1),
                         _mm_and_si128(p, _mm_set1_epi16(0x003F)));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 2 * x), out);
  }
  for (; x < width; ++x) {
    const uint32_t p = Read(source, x, 2);
    Write(destination, x, 2, toX1R5G5B5 ? R5G6B5ToX1R5G5B5(p) : X1R5G5B5ToR5G6B5(p));
  }
}

struct Job {
  const PixelBlock& destination;
  const PixelBlock& source;
  const PixelBlock& alpha;
  int destX, destY;
  Rect rect;
  int width, height;
  ConvertOptions options;
};

// Runs `pixel(sourceValue) -> destinationValue` over the block; `sourceValue` is the raw source
// pixel (palette entries are looked up by the caller's function when it wants them).
template <typename PixelFunction>
void EachPixel(const Job& job, int destinationBytes, PixelFunction pixel) {
  const ColorFormat& src = *job.source.format;
  const int sourceBytes = src.bytesPerPixel;
  for (int y = 0; y < job.height; ++y) {
    const uint8_t* in = Line(job.source, job.rect.top + y);
    uint8_t* out = Line(job.destination, job.destY + y);
    for (int i = 0; i < job.width; ++i) {
      const int column = job.options.mirror != 0 ? job.destX + job.width - 1 - i : job.destX + i;
      Write(out, column, destinationBytes, pixel(Read(in, job.rect.left + i, sourceBytes)));
    }
  }
}

// The direct routes: fixed bit operations for the common pairs. False when the pair has none.
bool DirectRoute(const Job& job) {
  const ColorFormat& src = *job.source.format;
  const ColorFormat& dst = *job.destination.format;
  const Layout from = Classify(src);
  const Layout to = Classify(dst);
  const bool keyed = job.options.keyToAlpha != 0;
  const uint32_t key = job.options.key & 0xFFFFFF;
  auto palette = [&src](uint32_t index) { return PaletteEntry(src, index) & 0xFFFFFF; };
  const bool to32 = dst.bitsPerPixel == 32 && Masks(dst, 0xFF0000, 0xFF00, 0xFF);
  const bool to24 = dst.bitsPerPixel == 24 && Masks(dst, 0xFF0000, 0xFF00, 0xFF);

  if (!keyed) {
    if (from == Layout::Palette8 && to == Layout::R5G6B5) {
      EachPixel(job, 2, [&](uint32_t v) { return To565(palette(v)); });
    } else if (from == Layout::Palette8 && to == Layout::X1R5G5B5) {
      EachPixel(job, 2, [&](uint32_t v) { return To555(palette(v)) | 0x8000; });
    } else if (from == Layout::Palette8 && to == Layout::X8R8G8B8) {
      EachPixel(job, 4, [&](uint32_t v) { return palette(v) | 0xFF000000u; });
    } else if (from == Layout::Bgr24 && to == Layout::R5G6B5) {
      EachPixel(job, 2, [](uint32_t v) { return To565(v); });
    } else if (from == Layout::Bgr24 && to == Layout::X1R5G5B5) {
      EachPixel(job, 2, [](uint32_t v) { return To555(v) | 0x8000; });
    } else if (from == Layout::Bgr24 && to32) {
      EachPixel(job, 4, [](uint32_t v) { return v | 0xFF000000u; });
    } else if (from == Layout::X8R8G8B8 && to == Layout::R5G6B5) {
      EachPixel(job, 2, [](uint32_t v) { return To565(v); });
    } else if (from == Layout::R5G6B5 && (to24 || to == Layout::X8R8G8B8)) {
      EachPixel(job, dst.bytesPerPixel, [](uint32_t v) { return From565(v); });
    } else if ((from == Layout::R5G6B5 && to == Layout::X1R5G5B5) ||
               (from == Layout::X1R5G5B5 && to == Layout::R5G6B5)) {
      for (int y = 0; y < job.height; ++y) {
        RepackLine16(Line(job.source, job.rect.top + y) + 2 * job.rect.left,
                     Line(job.destination, job.destY + y) + 2 * job.destX, job.width,
                     to == Layout::X1R5G5B5);
      }
    } else {
      return false;
    }
    return true;
  }

  if (from == Layout::Palette8 && to == Layout::A1R5G5B5) {
    EachPixel(job, 2, [&](uint32_t v) {
      const uint32_t rgb = palette(v);
      return To555(rgb) | (rgb != key ? 0x8000u : 0u);
    });
  } else if (from == Layout::Palette8 && to == Layout::A8R8G8B8) {
    EachPixel(job, 4, [&](uint32_t v) {
      const uint32_t rgb = palette(v);
      return rgb | (rgb != key ? 0xFF000000u : 0u);
    });
  } else if (from == Layout::Bgr24 && to == Layout::A1R5G5B5) {
    EachPixel(job, 2,
              [&](uint32_t v) { return To555(v) | (To555(v) != To555(key) ? 0x8000u : 0u); });
  } else if (from == Layout::Bgr24 && to == Layout::A8R8G8B8) {
    EachPixel(job, 4, [&](uint32_t v) { return v | (v != key ? 0xFF000000u : 0u); });
  } else if (from == Layout::R5G6B5 && to == Layout::A1R5G5B5) {
    EachPixel(job, 2, [&](uint32_t v) {
      const uint32_t p = R5G6B5ToX1R5G5B5(v);
      return p | (p != To555(key) ? 0x8000u : 0u);
    });
  } else {
    return false;
  }
  return true;
}

// Pixel by pixel, channel by channel, through the formats' masks.
void GeneralRoute(const Job& job, bool alphaFromImage) {
  const ColorFormat& src = *job.source.format;
  const ColorFormat& dst = *job.destination.format;
  const ConvertOptions& o = job.options;
  const bool sourceHasAlpha = src.alphaWidth != 0;
  const uint32_t sourceMask = src.bitsPerPixel >= 32 ? 0xFFFFFFFFu : (1u << src.bitsPerPixel) - 1u;
  const uint32_t reference =
      ColorToPixel(dst, (o.key >> 16) & 0xFF, (o.key >> 8) & 0xFF, o.key & 0xFF, 255);
  const uint32_t colourBits = dst.redMask | dst.greenMask | dst.blueMask;
  const int destinationBytes = dst.bytesPerPixel;
  const ColorFormat* alphaFormat = job.alpha.format;

  for (int y = 0; y < job.height; ++y) {
    const uint8_t* in = Line(job.source, job.rect.top + y);
    const uint8_t* alphaIn = alphaFromImage ? Line(job.alpha, job.rect.top + y) : nullptr;
    uint8_t* out = Line(job.destination, job.destY + y);
    for (int i = 0; i < job.width; ++i) {
      const int x = job.rect.left + i;
      uint32_t value = Read(in, x, src.bytesPerPixel);
      if (src.bitsPerPixel == 8) value = PaletteEntry(src, value);
      if (o.skipKey != 0) {
        const uint32_t compared = o.keyToAlpha != 0 ? value : value & sourceMask;
        if (compared == o.key) continue;
      }
      uint32_t red = Scale(Channel(value, src.redMask, src.redShift), src.redWidth, dst.redWidth);
      uint32_t green =
          Scale(Channel(value, src.greenMask, src.greenShift), src.greenWidth, dst.greenWidth);
      uint32_t blue =
          Scale(Channel(value, src.blueMask, src.blueShift), src.blueWidth, dst.blueWidth);
      uint32_t alpha;
      if (alphaFromImage) {
        uint32_t a = Read(alphaIn, x, alphaFormat->bytesPerPixel);
        if (alphaFormat->bitsPerPixel == 8) a = PaletteEntry(*alphaFormat, a);
        alpha = Scale(Channel(a, alphaFormat->redMask, alphaFormat->redShift),
                      alphaFormat->redWidth, dst.alphaWidth);
      } else if (!sourceHasAlpha) {
        alpha = dst.alphaMask >> dst.alphaShift;
      } else if (dst.alphaMask == 0) {
        alpha = 0;
      } else {
        alpha =
            Scale(Channel(value, src.alphaMask, src.alphaShift), src.alphaWidth, dst.alphaWidth);
      }
      if (o.redToAlpha != 0) {
        alpha = Scale(Channel(value, src.redMask, src.redShift), src.redWidth, dst.alphaWidth);
      }
      if (o.alphaOnly != 0) red = green = blue = 0;
      uint32_t composed = (red << dst.redShift) | (green << dst.greenShift) |
                          (blue << dst.blueShift) | (alpha << dst.alphaShift);
      if (o.keyToAlpha != 0) {
        composed = (composed & colourBits) == (reference & colourBits) ? composed & ~dst.alphaMask
                                                                       : composed | dst.alphaMask;
      }
      if (destinationBytes >= 2 && destinationBytes != 3) composed |= dst.padMask;
      const int column = o.mirror != 0 ? job.destX + job.width - 1 - i : job.destX + i;
      Write(out, column, destinationBytes, composed);
    }
  }
}

}  // namespace

int ConvertPixels(const PixelBlock& destination, const PixelBlock& source, const PixelBlock& alpha,
                  int destX, int destY, const Rect& srcRect, const ConvertOptions& options) {
  const ColorFormat& src = *source.format;
  const ColorFormat& dst = *destination.format;
  const bool haveAlphaImage = alpha.pixels != nullptr && alpha.format != nullptr;
  const bool destinationHasAlpha = dst.alphaWidth != 0;
  const bool sourceHasAlpha = src.alphaWidth != 0;
  const bool alphaNeeded = destinationHasAlpha && (haveAlphaImage || sourceHasAlpha);
  const bool alphaFromImage = destinationHasAlpha && haveAlphaImage && !sourceHasAlpha;
  ConvertOptions o = options;
  if (alphaNeeded || !destinationHasAlpha || o.redToAlpha != 0) o.keyToAlpha = 0;
  if (alphaNeeded || o.mirror != 0) o.skipKey = 0;

  const int width = srcRect.right - srcRect.left;
  const int height = srcRect.bottom - srcRect.top;
  if (width <= 0 || height <= 0) return -1;
  const Job job{destination, source, alpha, destX, destY, srcRect, width, height, o};

  // Palette indexes are copied as they are; the result is the highest one.
  if (dst.bitsPerPixel == 8 && o.alphaOnly == 0 && o.skipKey == 0) {
    if (src.bitsPerPixel != 8) return -1;
    uint32_t highest = 0;
    EachPixel(job, 1, [&highest](uint32_t index) {
      if (index > highest) highest = index;
      return index;
    });
    return static_cast<int>(highest);
  }

  const bool sameFormat = src.bitsPerPixel == dst.bitsPerPixel && src.redMask == dst.redMask &&
                          src.greenMask == dst.greenMask && src.blueMask == dst.blueMask &&
                          src.alphaMask == dst.alphaMask;
  if (sameFormat && o.keyToAlpha == 0 && !alphaFromImage && o.alphaOnly == 0 && o.redToAlpha == 0) {
    const int bytes = src.bytesPerPixel;
    if (o.mirror == 0 && o.skipKey == 0) {
      for (int y = 0; y < height; ++y) {
        std::memcpy(Line(destination, destY + y) + static_cast<ptrdiff_t>(destX) * bytes,
                    Line(source, srcRect.top + y) + static_cast<ptrdiff_t>(srcRect.left) * bytes,
                    static_cast<size_t>(width) * bytes);
      }
    } else {
      const uint32_t mask = src.bitsPerPixel >= 32 ? 0xFFFFFFFFu : (1u << src.bitsPerPixel) - 1;
      for (int y = 0; y < height; ++y) {
        const uint8_t* in = Line(source, srcRect.top + y);
        uint8_t* out = Line(destination, destY + y);
        for (int i = 0; i < width; ++i) {
          const uint32_t value = Read(in, srcRect.left + i, bytes);
          if (o.skipKey != 0 && value == (o.key & mask)) continue;
          Write(out, o.mirror != 0 ? destX + width - 1 - i : destX + i, bytes, value);
        }
      }
    }
    return 0;
  }

  if (o.keyToAlpha != 0 && o.skipKey == 0 && o.alphaOnly == 0 && o.redToAlpha == 0 &&
      src.bitsPerPixel == dst.bitsPerPixel &&
      Masks(src, dst.redMask, dst.greenMask, dst.blueMask)) {
    const uint32_t reference =
        ColorToPixel(dst, (o.key >> 16) & 0xFF, (o.key >> 8) & 0xFF, o.key & 0xFF, 255);
    const uint32_t outsideColour = ~(src.redMask | src.greenMask | src.blueMask);
    EachPixel(job, dst.bytesPerPixel, [&](uint32_t value) {
      if (src.bitsPerPixel == 32) value |= outsideColour;
      return value == reference ? value & ~dst.alphaMask : value | dst.alphaMask;
    });
    return 0;
  }

  if (o.mirror == 0 && o.alphaOnly == 0 && o.redToAlpha == 0 && o.skipKey == 0 && !haveAlphaImage &&
      DirectRoute(job)) {
    return 0;
  }

  GeneralRoute(job, alphaFromImage);
  return 0;
}

}  // namespace kumo
