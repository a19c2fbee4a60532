#include "kumo/render/mem_img.h"

#include <climits>
#include <cstddef>
#include <cstring>

#include "kumo/core/bodies.h"
#include "kumo/render/convert_pixels.h"
#include "kumo/render/display.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

struct FormatRow {
  int bits;
  uint32_t red, green, blue, alpha;
};

// By kind, alpha and palette; kinds 2 and 3 have one row each.
FormatRow RowFor(int kind, int hasAlpha, int usesPalette) {
  if (kind == kKindChannel8) return {8, 0xFF, 0xFF, 0xFF, 0xFF};
  if (kind == kKindDepth16) return {16, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  const int bits = usesPalette != 0 ? 8 : (kind == kKindColor16 && hasAlpha == 0 ? 16 : 32);
  if (kind == kKindColor16) return {bits, 0xF800, 0x07E0, 0x001F, hasAlpha != 0 ? 0xFF0000u : 0};
  return {bits, 0xFF0000, 0xFF00, 0xFF, hasAlpha != 0 ? 0xFF000000u : 0};
}

// Index of a kind's format in the shared tables: kinds 0 and 1 by alpha and palette, then 2, 3.
int FormatIndex(int kind, int hasAlpha, int usesPalette) {
  if (kind == kKindChannel8) return 8;
  if (kind == kKindDepth16) return 9;
  return (kind == kKindColor32 ? 4 : 0) + (hasAlpha != 0 ? 2 : 0) + (usesPalette != 0 ? 1 : 0);
}

constexpr int kFormatCount = 10;

struct SharedFormats {
  ColorFormat formats[kFormatCount];
  DDPIXELFORMAT ddFormats[kFormatCount];
  SharedFormats() {
    for (int kind = 0; kind < 4; ++kind) {
      for (int hasAlpha = 0; hasAlpha < 2; ++hasAlpha) {
        for (int usesPalette = 0; usesPalette < 2; ++usesPalette) {
          const FormatRow row = RowFor(kind, hasAlpha, usesPalette);
          const int index = FormatIndex(kind, hasAlpha, usesPalette);
          BuildColorFormatBody(&formats[index], row.bits, row.red, row.green, row.blue, row.alpha);
          BuildDDPixelFormatBody(&ddFormats[index], row.bits, row.red, row.green, row.blue,
                                 row.alpha);
        }
      }
    }
  }
};

const SharedFormats& Shared() {
  static const SharedFormats shared;
  return shared;
}

int KindBytes(int kind) {
  switch (kind) {
    case kKindColor16:
      return 2;
    case kKindColor32:
      return 4;
    case kKindChannel8:
      return 1;
    default:
      return 2;
  }
}

}  // namespace

const ColorFormat* GetMemImgFormat(int kind, int hasAlpha, int usesPalette) {
  return &Shared().formats[FormatIndex(kind, hasAlpha, usesPalette)];
}

const DDPIXELFORMAT* GetMemImgDDFormat(int kind, int hasAlpha, int usesPalette) {
  return &Shared().ddFormats[FormatIndex(kind, hasAlpha, usesPalette)];
}

int MemImgBytesPerPixel(const MEMIMG& image) {
  if (image.usesPalette != 0) return 1;
  if (image.hasAlpha != 0 && image.formatKind == kKindColor16) return 4;
  return KindBytes(image.formatKind);
}

int CreateMemImg(MEMIMG* image, int width, int height, int pitch, uint32_t colorKey, int kind,
                 int usesPalette, int hasAlpha) {
  if (image->magic == kMemImgMagic) return -1;
  if (width < 0 || height < 0 || kind < kKindColor16 || kind > kKindDepth16) return -1;
  if (kind == kKindChannel8 || kind == kKindDepth16) {
    usesPalette = 0;
    hasAlpha = 0;
  } else if (usesPalette != 0) {
    hasAlpha = 0;
  }
  image->formatKind = kind;
  image->usesPalette = usesPalette != 0 ? 1 : 0;
  image->hasAlpha = hasAlpha != 0 ? 1 : 0;
  const int bytes = MemImgBytesPerPixel(*image);
  const int64_t lineBytes = int64_t{width} * bytes;
  const int64_t chosenPitch = pitch == -1 ? (lineBytes + 15) / 16 * 16 : pitch;
  if (chosenPitch < lineBytes || chosenPitch * height > INT_MAX) return -1;
  image->width = width;
  image->height = height;
  image->pitch = static_cast<int32_t>(chosenPitch);

  // The shift that replaces a multiply by the pitch, when the pitch is a power of two.
  const int64_t wanted = pitch == -1 ? lineBytes : pitch;
  int64_t counter = 1;
  int doublings = 0;
  while (counter < wanted) {
    counter *= 2;
    ++doublings;
  }
  image->pitchShift = counter == image->pitch ? doublings : -1;

  image->format = GetMemImgFormat(kind, image->hasAlpha, image->usesPalette);
  image->colorKey = colorKey;
  image->palette = image->paletteStorage[0];
  image->palette2 = image->paletteStorage[1];
  if (image->pixels != nullptr) {
    image->notOwned = 1;
  } else {
    image->notOwned = 0;
    image->pixels = TrackedAlloc(image->pitch * height, "", 0);
    if (image->pixels == nullptr) return -1;
  }
  image->magic = kMemImgMagic;
  return 0;
}

int CreateScreenMemImg(MEMIMG* image, int width, int height, int kind) {
  std::memset(image, 0, sizeof *image);
  if (kind == -1) kind = ScreenColorDepth() != 16 ? kKindColor32 : kKindColor16;
  return CreateMemImg(image, width, height, -1, 0, kind, 0, 0);
}

int CreateDepthMemImg(MEMIMG* image, int width, int height) {
  std::memset(image, 0, sizeof *image);
  return CreateMemImg(image, width, height, (2 * width + 15) / 16 * 16, 0, kKindDepth16, 0, 0);
}

void MakeMemImgView(MEMIMG* view, const MEMIMG& parent, int x, int y, int width, int height) {
  view->magic = kMemImgMagic;
  view->width = width;
  view->height = height;
  view->pitch = parent.pitch;
  view->pitchShift = parent.pitchShift;
  view->format = parent.format;
  view->colorKey = parent.colorKey;
  view->formatKind = parent.formatKind;
  view->usesPalette = parent.usesPalette;
  view->paletteCount = parent.paletteCount;
  view->hasAlpha = parent.hasAlpha;
  view->palette = parent.palette;
  view->palette2 = parent.palette2;
  view->pixels = static_cast<uint8_t*>(parent.pixels) + static_cast<ptrdiff_t>(y) * parent.pitch +
                 static_cast<ptrdiff_t>(x) * MemImgBytesPerPixel(parent);
  view->notOwned = 0;
}

void ReleaseMemImg(MEMIMG* image) {
  if (image->magic != kMemImgMagic) return;
  if (image->notOwned == 0) TrackedFree(image->pixels);
  image->pixels = nullptr;
  image->magic = 0;
}

void FillMemImg(MEMIMG* image, const Rect* rect, uint32_t value) {
  const Rect whole = {0, 0, image->width, image->height};
  Rect area = rect != nullptr ? *rect : whole;
  ClipRectBody(&area, &whole);
  if (area.left >= area.right || area.top >= area.bottom) return;
  const int bytes = MemImgBytesPerPixel(*image);
  const size_t lineBytes = static_cast<size_t>(area.right - area.left) * bytes;
  uint8_t* first = static_cast<uint8_t*>(image->pixels) +
                   static_cast<ptrdiff_t>(area.top) * image->pitch +
                   static_cast<ptrdiff_t>(area.left) * bytes;
  // The first line pixel by pixel, every other as a copy of it.
  for (size_t at = 0; at < lineBytes; at += bytes) {
    std::memcpy(first + at, &value, static_cast<size_t>(bytes));
  }
  for (int y = area.top + 1; y < area.bottom; ++y) {
    std::memcpy(first + static_cast<ptrdiff_t>(y - area.top) * image->pitch, first, lineBytes);
  }
}

int LoadMemImg(const GraphImage& decoded, const GraphImage* alphaImage, MEMIMG* image, int x, int y,
               int width, int height, int srcX, int srcY, int keyFlag) {
  const Rect rect = {srcX, srcY, srcX + width, srcY + height};
  const PixelBlock destination = {image->pixels, image->pitch, image->format};
  const PixelBlock source = {decoded.pixels, decoded.pitch, &decoded.format};
  ConvertOptions options;
  int result;
  if (image->formatKind == kKindChannel8 || image->formatKind == kKindDepth16) {
    options.alphaOnly = 1;
    options.redToAlpha = 1;
    return ConvertPixels(destination, source, {nullptr, 0, nullptr}, x, y, rect, options) == -1 ? -1
                                                                                                : 0;
  }
  options.keyToAlpha = keyFlag;
  options.key = image->colorKey;
  const PixelBlock alpha =
      alphaImage != nullptr ? PixelBlock{alphaImage->pixels, alphaImage->pitch, &alphaImage->format}
                            : PixelBlock{nullptr, 0, nullptr};
  result = ConvertPixels(destination, source, alpha, x, y, rect, options);
  if (result == -1) return -1;

  if (image->usesPalette != 0) {
    image->paletteCount = result + 1;
    for (int i = 0; i < 256; ++i) {
      const uint8_t* entry = decoded.format.palette[i];
      const uint32_t blue = entry[0], green = entry[1], red = entry[2];
      if (image->formatKind == kKindColor32) {
        const uint32_t colour = red << 16 | green << 8 | blue;
        std::memcpy(image->palette + 4 * i, &colour, 4);
      } else {
        const uint16_t colour =
            static_cast<uint16_t>((red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3));
        std::memcpy(image->palette + 2 * i, &colour, 2);
      }
    }
    std::memcpy(image->palette2, image->palette, image->formatKind == kKindColor32 ? 1024 : 512);
  }
  return 0;
}

}  // namespace kumo
