// MEMIMG: the library's own pixel buffer in system memory, the software path's only kind of
// image. The record is embedded by value wherever it is used; its palette pointers point into
// the record itself.
#pragma once

#include <cstdint>

#include "kumo/image/graph_image.h"
#include "kumo/kumo.h"

namespace kumo {

constexpr uint32_t kMemImgMagic = 0x12345678u;

// Which pixels an image holds.
enum FormatKind {
  kKindColor16 = 0,   // R5 G6 B5 (with alpha: 32 bits, the colour low and the alpha in 16..23)
  kKindColor32 = 1,   // X8/A8 R8 G8 B8
  kKindChannel8 = 2,  // one 8-bit channel
  kKindDepth16 = 3,   // one 16-bit channel
};

struct MEMIMG {
  uint32_t magic;  // kMemImgMagic while initialised
  int32_t width;
  int32_t height;
  int32_t pitch;
  int32_t pitchShift;  // log2(pitch) when the pitch is a power of two, else -1
  const ColorFormat* format;
  uint32_t colorKey;  // raw pixel (or palette index) that counts as transparent
  int32_t formatKind;
  int32_t usesPalette;
  int32_t paletteCount;
  int32_t hasAlpha;
  int32_t notOwned;   // 1: the pixels belong to someone else
  uint8_t* palette;   // the first palette area
  uint8_t* palette2;  // the second, right after it
  uint8_t paletteStorage[2][1024];
  void* pixels;
};

// The shared format of an image kind, built once on first use.
const ColorFormat* GetMemImgFormat(int kind, int hasAlpha, int usesPalette);
// The same formats as the platform's pixel-format records.
const DDPIXELFORMAT* GetMemImgDDFormat(int kind, int hasAlpha, int usesPalette);

// Bytes per pixel of an image.
int MemImgBytesPerPixel(const MEMIMG& image);

// pitch -1 asks for the default (a multiple of 16). Pixels already set in the record are
// adopted (not owned). 0, or -1 when the record is initialised already or memory runs out.
int CreateMemImg(MEMIMG* image, int width, int height, int pitch, uint32_t colorKey, int kind,
                 int usesPalette, int hasAlpha);

// A screen buffer: kind -1 takes 1 unless the screen's depth is 16.
int CreateScreenMemImg(MEMIMG* image, int width, int height, int kind);

// A 16-bit depth buffer.
int CreateDepthMemImg(MEMIMG* image, int width, int height);

// A window onto part of `parent`; it must not outlive the parent and is never released.
void MakeMemImgView(MEMIMG* view, const MEMIMG& parent, int x, int y, int width, int height);

// Frees the pixels unless they are not owned; an uninitialised record is left alone.
void ReleaseMemImg(MEMIMG* image);

// Writes the raw pixel `value` into `rect` clipped to the image (the whole image when none).
void FillMemImg(MEMIMG* image, const Rect* rect, uint32_t value);

// Copies a block of a decoded image (and its alpha image) into `image` at (x, y), then rebuilds
// the palette of a palette image. -1 when the conversion fails.
int LoadMemImg(const GraphImage& decoded, const GraphImage* alphaImage, MEMIMG* image, int x, int y,
               int width, int height, int srcX, int srcY, int keyFlag);

}  // namespace kumo
