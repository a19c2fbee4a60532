#include "tools/kumo_tool/rgba_image.h"

#include "kumo/image/graph_image.h"

namespace kumo_tool {

namespace {

// A channel of `width` bits as 8 bits: a wider one loses its low bits; a narrower one is scaled
// so that its full value becomes 255 (5 bits: 31 gives 255, 16 gives 131).
uint32_t ToEightBits(uint32_t value, int width) {
  if (width == 0) return 0;
  if (width >= 8) return value >> (width - 8);
  const int grow = 8 - width;
  return (value << grow) + value * ((1u << grow) - 1) / ((1u << width) - 1);
}

uint32_t Channel(uint32_t value, uint32_t mask, int shift, int width) {
  return ToEightBits((value & mask) >> shift, width);
}

// An 8-bit pixel stands for its palette entry, read as a 32-bit value.
uint32_t SourceValue(const kumo::GraphImage& image, int x, int y) {
  const uint32_t raw = kumo::ReadRawPixel(image, x, y);
  if (image.format.bitsPerPixel != 8) return raw;
  const uint8_t* entry = image.format.palette[raw];
  return entry[0] | entry[1] << 8 | entry[2] << 16 | uint32_t{entry[3]} << 24;
}

}  // namespace

std::string AlphaFilePath(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return path + "_a";
  return path.substr(0, dot) + "_a" + path.substr(dot);
}

bool ToRgba(const kumo::GraphImage& image, const kumo::GraphImage* alpha,
            std::vector<uint8_t>* rgba) {
  if (alpha != nullptr && (alpha->width != image.width || alpha->height != image.height)) {
    return false;
  }
  const ColorFormat& f = image.format;
  const bool alphaFromImage = f.alphaWidth == 0 && alpha != nullptr;
  rgba->resize(size_t{4} * image.width * image.height);
  uint8_t* out = rgba->data();
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint32_t value = SourceValue(image, x, y);
      *out++ = static_cast<uint8_t>(Channel(value, f.redMask, f.redShift, f.redWidth));
      *out++ = static_cast<uint8_t>(Channel(value, f.greenMask, f.greenShift, f.greenWidth));
      *out++ = static_cast<uint8_t>(Channel(value, f.blueMask, f.blueShift, f.blueWidth));
      uint32_t a = 255;
      if (alphaFromImage) {
        const ColorFormat& af = alpha->format;
        a = Channel(SourceValue(*alpha, x, y), af.redMask, af.redShift, af.redWidth);
      } else if (f.alphaWidth != 0) {
        a = Channel(value, f.alphaMask, f.alphaShift, f.alphaWidth);
      }
      *out++ = static_cast<uint8_t>(a);
    }
  }
  return true;
}

}  // namespace kumo_tool
