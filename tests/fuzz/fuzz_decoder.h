// The body of every decoder fuzz target: the input is one file, read through a memory stream.
// Besides the sanitizers' checks it holds each decoder to its word: a success gives an image
// whose every line lies inside its block, and afterwards nothing taken is left behind.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kumo/image/decoders.h"
#include "kumo/image/graph_image.h"
#include "kumo/support/streams.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

// Where the pixel reads go, so that they are not optimised away.
inline volatile unsigned gPixelSum = 0;

inline void CheckDecodedImage(const GraphImage& image) {
  const int bytes = image.format.bytesPerPixel;
  if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 || bytes < 1 || bytes > 4 ||
      image.pitch < image.width * bytes) {
    std::abort();
  }
  // The first and last byte of every line: a line past the block is the sanitizer's to report.
  const uint8_t* pixels = static_cast<const uint8_t*>(image.pixels);
  unsigned sum = 0;
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* line = pixels + static_cast<ptrdiff_t>(y) * image.pitch;
    sum += line[0] + line[image.width * bytes - 1];
  }
  gPixelSum = sum;
}

inline int FuzzDecoder(ImageDecoder decode, const uint8_t* data, size_t size) {
  if (size > INT_MAX) return 0;
  const int live = TrackedMemory().count;
  MemStream* stream = MemStreamOpen(data, static_cast<int>(size));
  if (stream == nullptr) return 0;
  const StreamSource source{&GetMemStreamOps(), stream};
  GraphImage image{};
  if (decode(source, &image) == 0) {
    CheckDecodedImage(image);
    // The stream and the pixels, nothing else.
    if (TrackedMemory().count != live + 2) std::abort();
    ReleaseGraphImage(&image);
  }
  source.ops->close(stream);
  if (TrackedMemory().count != live) std::abort();
  return 0;
}

}  // namespace kumo
