// The general pixel copy between any two colour formats, which every transfer between images of
// different formats goes through.
#pragma once

#include <cstdint>

#include "kumo/kumo.h"

namespace kumo {

struct PixelBlock {
  void* pixels;
  int pitch;
  const ColorFormat* format;
};

struct ConvertOptions {
  int mirror = 0;      // the source's leftmost column lands at the right
  int keyToAlpha = 0;  // pixels of the colour `key` (0x00RRGGBB) become transparent
  uint32_t key = 0;    // a colour for keyToAlpha, a raw source pixel for skipKey
  int alphaOnly = 0;   // red, green and blue are 0
  int redToAlpha = 0;  // alpha takes the red channel
  int skipKey = 0;     // source pixels equal to `key` leave the destination as it is
};

// Converts `srcRect` of `source` into `destination` with its top-left pixel at (destX, destY);
// the alpha block (pixels none when there is none) has the source's size and is read at the
// same positions. Both blocks must lie inside their images. 0; the highest index copied for a
// palette-index copy; -1 when the rectangle is empty or an 8-bit destination is given a source
// that is not 8-bit.
int ConvertPixels(const PixelBlock& destination, const PixelBlock& source, const PixelBlock& alpha,
                  int destX, int destY, const Rect& srcRect, const ConvertOptions& options);

}  // namespace kumo
