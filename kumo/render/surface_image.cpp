// Pixel stores of surface data records. There is no device surface on this path: every store is
// a memory image, and a record that asks for anything else fails as the device would.
#include "kumo/render/surface_image.h"

#include <cstring>

#include "kumo/image/color_format.h"
#include "kumo/support/log.h"

namespace kumo {

namespace {

int ColorKind(const SurfaceData& surface) {
  return surface.params.colorDepth == 16 ? kKindColor16 : kKindColor32;
}

void TransparentRgb(const SurfaceData& surface, int* red, int* green, int* blue) {
  *red = static_cast<int>((surface.transparentColor >> 16) & 0xFF);
  *green = static_cast<int>((surface.transparentColor >> 8) & 0xFF);
  *blue = static_cast<int>(surface.transparentColor & 0xFF);
}

// A palette store keys on the index whose colour is the transparent colour; 0 when none is.
uint32_t PaletteKeyIndex(const SurfaceData& surface) {
  const MEMIMG& image = surface.image;
  int red, green, blue;
  TransparentRgb(surface, &red, &green, &blue);
  const int kind = ColorKind(surface);
  const uint32_t key =
      ColorToPixel(*GetMemImgFormat(kind, surface.params.alphaChannel, 0), red, green, blue, 255);
  for (int i = 0; i < 256; ++i) {
    if (kind == kKindColor32) {
      uint32_t entry;
      std::memcpy(&entry, image.palette + 4 * i, 4);
      if ((entry & 0xFFFFFF) == (key & 0xFFFFFF)) return static_cast<uint32_t>(i);
    } else {
      uint16_t entry;
      std::memcpy(&entry, image.palette + 2 * i, 2);
      if (entry == (key & 0xFFFF)) return static_cast<uint32_t>(i);
    }
  }
  return 0;
}

bool BlockInside(const Rect& rect, int width, int height) {
  return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
         rect.right <= width && rect.bottom <= height;
}

}  // namespace

int CreateSurfaceImage(SurfaceData* surface) {
  const GraphParams& params = surface->params;
  if (params.texture == 0 && surface->memImgFlag == 1) {
    int kind = ColorKind(*surface);
    uint32_t key;
    if (params.mask) {
      kind = kKindChannel8;
      key = 0;
    } else if (params.palette) {
      key = 0xFFFF;
    } else {
      int red, green, blue;
      TransparentRgb(*surface, &red, &green, &blue);
      key = ColorToPixel(*GetMemImgFormat(kind, params.alphaChannel, 0), red, green, blue, 255);
    }
    if (CreateMemImg(&surface->image, surface->width, surface->height, -1, key, kind,
                     params.palette, params.alphaChannel) == 0) {
      return 0;
    }
    LogWrite("メモリイメージの作成に失敗しました\n");
  } else if (params.texture) {
    LogWrite("テクスチャサーフェスの作成に失敗しました\n");
    LogWriteFormat("DrawValid:%d  AlphaChFlag%d  AlphaTestFlag:%d  ColorBitDepth:%d",
                   params.drawable, params.alphaChannel, params.alphaTest, params.colorDepth);
  } else {
    LogWrite("標準サーフェスの作成に失敗しました\n");
  }
  std::memset(&surface->image, 0, sizeof(surface->image));
  return -1;
}

void ReleaseSurfaceImage(SurfaceData* surface) {
  ReleaseMemImg(&surface->image);
  ReleaseMemImg(&surface->depthImage);
}

MEMIMG* PieceMemImg(const GraphRecord& graph, MEMIMG* view) {
  if (graph.pieceCount < 1) return nullptr;
  const Piece2D* piece = GetPiece2D(graph.pieces[0]);
  SurfaceData* surface = piece != nullptr ? GetSurfaceData(piece->surfaceData) : nullptr;
  if (surface == nullptr || surface->image.magic != kMemImgMagic) return nullptr;
  MEMIMG& image = surface->image;
  if (piece->surfaceX == 0 && piece->surfaceY == 0 && piece->width == image.width &&
      piece->height == image.height) {
    return &image;
  }
  MakeMemImgView(view, image, piece->surfaceX, piece->surfaceY, piece->width, piece->height);
  return view;
}

int TransferGraphImage(const GraphImage& image, const GraphImage* alphaImage, const Rect& srcRect,
                       int x, int y, int pieceHandle, int /*redToAlpha*/) {
  const Piece2D* piece = GetPiece2D(pieceHandle);
  if (piece == nullptr) return -1;
  SurfaceData* surface = GetSurfaceData(piece->surfaceData);
  if (surface == nullptr || surface->image.magic != kMemImgMagic) return -1;
  // A file that changed size between loading and restoring must not be read past its end.
  const int width = srcRect.right - srcRect.left;
  const int height = srcRect.bottom - srcRect.top;
  if (!BlockInside(srcRect, image.width, image.height) ||
      (alphaImage != nullptr && !BlockInside(srcRect, alphaImage->width, alphaImage->height)) ||
      !BlockInside(Rect{x, y, x + width, y + height}, surface->image.width,
                   surface->image.height)) {
    return -1;
  }
  if (LoadMemImg(image, alphaImage, &surface->image, x, y, width, height, srcRect.left, srcRect.top,
                 1) != 0) {
    return -1;
  }
  if (surface->params.palette) surface->image.colorKey = PaletteKeyIndex(*surface);
  return 0;
}

}  // namespace kumo
