// GraphImage: a decoded image, a ColorFormat with the size and the pixels, the output of every
// image decoder.
#pragma once

#include "kumo/kumo.h"

namespace kumo {

struct GraphImage {
  ColorFormat format;
  int width;
  int height;
  int pitch;     // bytes from one line to the next
  void* pixels;  // line 0 is the top line; a tracked block owned by the record
};

// Sets the fixed format, pitch = width x bytes per pixel + 3 rounded down to a multiple of 4,
// and takes pitch x height bytes, not cleared. 0, or -1 when the block cannot be had (or the
// size is negative or too large); the pixels are then none.
int CreateArgb32Image(int width, int height, GraphImage* image);
int CreateBgr24Image(int width, int height, GraphImage* image);

// Frees the pixels and clears the record.
void ReleaseGraphImage(GraphImage* image);

// Every pixel, or one, set from 0..255 channel values (2, 3 and 4 bytes per pixel only; an 8-bit
// image is left as it is). A pixel outside the image is ignored.
void FillGraphImage(GraphImage* image, int red, int green, int blue, int alpha);
void SetGraphImagePixel(GraphImage* image, int x, int y, int red, int green, int blue, int alpha);

// One pixel's channels; for 8-bit images through the palette. Outside the image: all 0.
void GetGraphImagePixel(const GraphImage& image, int x, int y, int* red, int* green, int* blue,
                        int* alpha);

// Reverses every line in place (1 to 4 bytes per pixel). -1 for an empty image, else 0.
int MirrorGraphImage(GraphImage* image);

// The raw pixel at (x, y): 1 to 4 bytes, little-endian. The caller keeps (x, y) inside.
uint32_t ReadRawPixel(const GraphImage& image, int x, int y);
void WriteRawPixel(GraphImage* image, int x, int y, uint32_t pixel);

}  // namespace kumo
