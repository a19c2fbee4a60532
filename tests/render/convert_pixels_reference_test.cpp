// ConvertPixels against a plain per-pixel reference written from the converter's rules, over
// every pair of formats the library builds, on random pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "kumo/image/color_format.h"
#include "kumo/render/convert_pixels.h"
#include "kumo/render/mem_img.h"

namespace kumo {
namespace {

struct NamedFormat {
  std::string name;
  ColorFormat format;
};

ColorFormat Built(int bits, uint32_t red, uint32_t green, uint32_t blue, uint32_t alpha) {
  ColorFormat format{};
  BuildColorFormat(&format, bits, red, green, blue, alpha);
  return format;
}

// The decoders', the screens' and the memory images' formats.
std::vector<NamedFormat> LibraryFormats() {
  std::vector<NamedFormat> formats;
  ColorFormat f{};
  SetIndexed8(&f);
  std::mt19937 random(7);
  for (auto& entry : f.palette) {
    for (int i = 0; i < 3; ++i) entry[i] = static_cast<uint8_t>(random());
    entry[3] = 0;
  }
  formats.push_back({"Indexed8", f});
  SetGray8(&f);
  formats.push_back({"Gray8", f});
  SetBgr24(&f);
  formats.push_back({"Bgr24", f});
  SetArgb32(&f);
  formats.push_back({"Argb32", f});
  formats.push_back({"X1R5G5B5", Built(16, 0x7C00, 0x03E0, 0x001F, 0)});
  formats.push_back({"A1R5G5B5", Built(16, 0x7C00, 0x03E0, 0x001F, 0x8000)});
  formats.push_back({"A4R4G4B4", Built(16, 0x0F00, 0x00F0, 0x000F, 0xF000)});
  const char* kinds[] = {"16", "32", "channel8", "depth16"};
  for (int kind = 0; kind < 4; ++kind) {
    for (int alpha = 0; alpha < (kind < 2 ? 2 : 1); ++alpha) {
      formats.push_back({std::string("memimg") + kinds[kind] + (alpha ? "a" : ""),
                         *GetMemImgFormat(kind, alpha, 0)});
    }
  }
  return formats;
}

uint32_t Bits(int width) { return width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u; }

bool SameMasks(const ColorFormat& a, const ColorFormat& b) {
  return a.redMask == b.redMask && a.greenMask == b.greenMask && a.blueMask == b.blueMask;
}

bool Is(const ColorFormat& f, int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return f.bitsPerPixel == bits && f.redMask == r && f.greenMask == g && f.blueMask == b &&
         f.alphaMask == a;
}

uint32_t Entry(const ColorFormat& f, uint32_t index) {
  const uint8_t* e = f.palette[index];
  return e[0] | e[1] << 8 | e[2] << 16 | uint32_t{e[3]} << 24;
}

uint32_t Stretch(uint32_t c, int from, int to) {
  if (to <= from) return c >> (from - to);
  if (from == 0) return 0;
  const int d = to - from;
  return (c << d) + c * ((1u << d) - 1) / ((1u << from) - 1);
}

uint32_t Field(uint32_t value, uint32_t mask, int shift) { return (value & mask) >> shift; }

uint32_t Truncate565(uint32_t rgb) {
  return (rgb >> 19 & 31) << 11 | (rgb >> 10 & 63) << 5 | (rgb >> 3 & 31);
}
uint32_t Truncate555(uint32_t rgb) {
  return (rgb >> 19 & 31) << 10 | (rgb >> 11 & 31) << 5 | (rgb >> 3 & 31);
}

// One source pixel as the converter must write it; `write` false when it writes nothing.
uint32_t Reference(const ColorFormat& dst, const ColorFormat& src, uint32_t raw, ConvertOptions o,
                   bool* write) {
  *write = true;
  const bool dstAlpha = dst.alphaWidth != 0, srcAlpha = src.alphaWidth != 0;
  if ((dstAlpha && srcAlpha) || !dstAlpha || o.redToAlpha) o.keyToAlpha = 0;
  if (dstAlpha && srcAlpha) o.skipKey = 0;
  const uint32_t key = o.key;
  const uint32_t rgbKey = key & 0xFFFFFF;

  if (dst.bitsPerPixel == 8 && !o.alphaOnly && !o.skipKey) return raw;
  const bool same =
      src.bitsPerPixel == dst.bitsPerPixel && SameMasks(src, dst) && src.alphaMask == dst.alphaMask;
  if (same && !o.keyToAlpha && !o.alphaOnly && !o.redToAlpha) {
    if (o.skipKey && raw == (key & Bits(src.bitsPerPixel))) *write = false;
    return raw;
  }
  const uint32_t reference = ColorToPixel(dst, key >> 16 & 255, key >> 8 & 255, key & 255, 255);
  if (o.keyToAlpha && !o.skipKey && !o.alphaOnly && !o.redToAlpha &&
      src.bitsPerPixel == dst.bitsPerPixel && SameMasks(src, dst)) {
    uint32_t v = raw;
    if (src.bitsPerPixel == 32) v |= ~(src.redMask | src.greenMask | src.blueMask);
    return v == reference ? v & ~dst.alphaMask : v | dst.alphaMask;
  }
  if (!o.alphaOnly && !o.redToAlpha && !o.skipKey) {
    const bool pal = src.bitsPerPixel == 8, bgr = Is(src, 24, 0xFF0000, 0xFF00, 0xFF, 0);
    const bool r565 = Is(src, 16, 0xF800, 0x07E0, 0x001F, 0);
    const bool x555 = Is(src, 16, 0x7C00, 0x03E0, 0x001F, 0);
    const bool x888 = Is(src, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    const uint32_t rgb = pal ? Entry(src, raw) & 0xFFFFFF : raw & 0xFFFFFF;
    const bool toR565 = Is(dst, 16, 0xF800, 0x07E0, 0x001F, 0);
    const bool toX555 = Is(dst, 16, 0x7C00, 0x03E0, 0x001F, 0);
    const bool toA555 = Is(dst, 16, 0x7C00, 0x03E0, 0x001F, 0x8000);
    const bool toX888 = Is(dst, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    const bool toA888 = Is(dst, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    const bool to32 =
        dst.bitsPerPixel == 32 && SameMasks(dst, Built(32, 0xFF0000, 0xFF00, 0xFF, 0));
    const bool to24 = Is(dst, 24, 0xFF0000, 0xFF00, 0xFF, 0);
    const uint32_t from565 = (raw >> 11 & 31) << 19 | (raw >> 5 & 63) << 10 | (raw & 31) << 3;
    const uint32_t r565to555 = (raw & 0xFFC0) >> 1 | (raw & 31);
    if (!o.keyToAlpha) {
      if (pal && toR565) return Truncate565(rgb);
      if (pal && toX555) return Truncate555(rgb) | 0x8000;
      if (pal && toX888) return rgb | 0xFF000000u;
      if (bgr && toR565) return Truncate565(rgb);
      if (bgr && toX555) return Truncate555(rgb) | 0x8000;
      if (bgr && to32) return rgb | 0xFF000000u;
      if (x888 && toR565) return Truncate565(rgb);
      if (r565 && (to24 || toX888)) return from565;
      if (r565 && toX555) return r565to555;
      if (x555 && toR565) return (raw & 0x7FE0) << 1 | (raw & 0x20) | (raw & 31);
    } else {
      if (pal && toA555) return Truncate555(rgb) | (rgb != rgbKey ? 0x8000 : 0);
      if (pal && toA888) return rgb | (rgb != rgbKey ? 0xFF000000u : 0);
      if (bgr && toA555) {
        return Truncate555(rgb) | (Truncate555(rgb) != Truncate555(rgbKey) ? 0x8000 : 0);
      }
      if (bgr && toA888) return rgb | (rgb != rgbKey ? 0xFF000000u : 0);
      if (r565 && toA555) return r565to555 | (r565to555 != Truncate555(rgbKey) ? 0x8000 : 0);
    }
  }

  const uint32_t value = src.bitsPerPixel == 8 ? Entry(src, raw) : raw;
  if (o.skipKey && (o.keyToAlpha ? value : value & Bits(src.bitsPerPixel)) == key) {
    *write = false;
    return 0;
  }
  uint32_t r = Stretch(Field(value, src.redMask, src.redShift), src.redWidth, dst.redWidth);
  uint32_t g = Stretch(Field(value, src.greenMask, src.greenShift), src.greenWidth, dst.greenWidth);
  uint32_t b = Stretch(Field(value, src.blueMask, src.blueShift), src.blueWidth, dst.blueWidth);
  uint32_t a = !srcAlpha            ? dst.alphaMask >> dst.alphaShift
               : dst.alphaMask == 0 ? 0
                                    : Stretch(Field(value, src.alphaMask, src.alphaShift),
                                              src.alphaWidth, dst.alphaWidth);
  if (o.redToAlpha)
    a = Stretch(Field(value, src.redMask, src.redShift), src.redWidth, dst.alphaWidth);
  if (o.alphaOnly) r = g = b = 0;
  uint32_t out = r << dst.redShift | g << dst.greenShift | b << dst.blueShift | a << dst.alphaShift;
  if (o.keyToAlpha) {
    const uint32_t colour = dst.redMask | dst.greenMask | dst.blueMask;
    out = (out & colour) == (reference & colour) ? out & ~dst.alphaMask : out | dst.alphaMask;
  }
  if (dst.bitsPerPixel == 16 || dst.bitsPerPixel == 32) out |= dst.padMask;
  return out & Bits(dst.bitsPerPixel);
}

TEST(ConvertPixels, AgreesWithThePlainReferenceOnRandomPixels) {
  const std::vector<NamedFormat> formats = LibraryFormats();
  constexpr int kWidth = 11, kHeight = 3;
  std::mt19937 random(1234);
  ConvertOptions keyed;
  keyed.keyToAlpha = 1;
  ConvertOptions channel;
  channel.alphaOnly = 1;
  channel.redToAlpha = 1;
  ConvertOptions skip;
  skip.skipKey = 1;
  const struct {
    const char* name;
    ConvertOptions options;
  } optionSets[] = {
      {"plain", {}}, {"keyToAlpha", keyed}, {"alphaOnly+redToAlpha", channel}, {"skipKey", skip}};

  for (const NamedFormat& to : formats) {
    for (const NamedFormat& from : formats) {
      for (const auto& set : optionSets) {
        SCOPED_TRACE(from.name + " to " + to.name + ", " + set.name);
        const int srcBytes = from.format.bytesPerPixel, dstBytes = to.format.bytesPerPixel;
        std::vector<uint8_t> source(kWidth * kHeight * 4), destination(kWidth * kHeight * 4, 0x5A);
        for (uint8_t& byte : source) byte = static_cast<uint8_t>(random());
        // Make the key occur: the first pixel's value (raw, or its colour for keyToAlpha).
        uint32_t first = 0;
        std::memcpy(&first, source.data(), static_cast<size_t>(srcBytes));
        ConvertOptions options = set.options;
        options.key = options.keyToAlpha ? (from.format.bitsPerPixel == 8
                                                ? Entry(from.format, first & 0xFF) & 0xFFFFFF
                                                : first & 0xFFFFFF)
                                         : first;
        const std::vector<uint8_t> before = destination;
        const int result =
            ConvertPixels({destination.data(), kWidth * dstBytes, &to.format},
                          {source.data(), kWidth * srcBytes, &from.format}, {nullptr, 0, nullptr},
                          0, 0, {0, 0, kWidth, kHeight}, options);
        // A source with alpha into a destination with alpha never skips its key.
        const bool skips =
            options.skipKey && !(to.format.alphaWidth != 0 && from.format.alphaWidth != 0);
        if (to.format.bitsPerPixel == 8 && !options.alphaOnly && !skips &&
            from.format.bitsPerPixel != 8) {
          EXPECT_EQ(result, -1);
          continue;
        }
        ASSERT_NE(result, -1);
        for (int i = 0; i < kWidth * kHeight; ++i) {
          uint32_t raw = 0, got = 0, old = 0;
          std::memcpy(&raw, source.data() + i * srcBytes, static_cast<size_t>(srcBytes));
          std::memcpy(&got, destination.data() + i * dstBytes, static_cast<size_t>(dstBytes));
          std::memcpy(&old, before.data() + i * dstBytes, static_cast<size_t>(dstBytes));
          bool write = true;
          const uint32_t expected = Reference(to.format, from.format, raw, options, &write);
          ASSERT_EQ(got, write ? expected : old)
              << "pixel " << i << ", source 0x" << std::hex << raw;
        }
      }
    }
  }
}

}  // namespace
}  // namespace kumo
