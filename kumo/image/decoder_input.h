// Checked reading for the library's own decoders (BMP, TGA, DDS, BGRA): every length is held
// against what the stream really contains before anything is read or taken, so that a file
// that lies about its sizes fails instead of reading or writing past a block.
#pragma once

#include <cstdint>

#include "kumo/support/streams.h"

namespace kumo {

// The largest pixel block taken for an image whose size its data does not bound: a few bytes
// of run-length data can claim a picture of any size. A 4096 x 4096 indexed picture, about as
// many pixels as the largest TGA.
constexpr int64_t kMostUnboundedImageBytes = int64_t{1} << 24;

// The stream's length in bytes (it is left at position 0), or -1.
int StreamLength(const StreamSource& source);

// Moves to `offset` from the start; false unless 0 <= offset <= length.
bool SeekTo(const StreamSource& source, int64_t offset, int length);

// Reads exactly `bytes` bytes (0 reads nothing); false on a short read.
bool ReadExact(const StreamSource& source, void* destination, int64_t bytes);

// A tracked block of `bytes` bytes (cleared when asked), or none when the size is negative, too
// large for a block, or the memory is not there.
void* TakeBlock(int64_t bytes, bool clear);

inline uint16_t Le16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }
inline uint32_t Le32(const uint8_t* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

// Bit-field masks a pixel of `bits` bits can hold: each within the pixel, each one run of set
// bits (or empty), no two sharing a bit.
bool MasksAreSound(int bits, const uint32_t* masks, int count);

}  // namespace kumo
