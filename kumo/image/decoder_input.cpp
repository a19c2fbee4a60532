#include "kumo/image/decoder_input.h"

#include <climits>
#include <cstring>

#include "kumo/image/color_format.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

int StreamLength(const StreamSource& source) {
  if (source.ops->seek(source.data, 0, 2) != 0) return -1;
  const int length = source.ops->tell(source.data);
  if (source.ops->seek(source.data, 0, 0) != 0) return -1;
  return length < 0 ? -1 : length;
}

bool SeekTo(const StreamSource& source, int64_t offset, int length) {
  if (offset < 0 || offset > length) return false;
  return source.ops->seek(source.data, static_cast<int>(offset), 0) == 0;
}

bool ReadExact(const StreamSource& source, void* destination, int64_t bytes) {
  if (bytes == 0) return true;
  if (bytes < 0 || bytes > INT_MAX) return false;
  // Element size 1: a stream reports a short last element as a whole one.
  const int wanted = static_cast<int>(bytes);
  return source.ops->read(destination, 1, wanted, source.data) == wanted;
}

void* TakeBlock(int64_t bytes, bool clear) {
  if (bytes < 0 || bytes > INT_MAX) return nullptr;
  void* block = TrackedAlloc(static_cast<int>(bytes), "", 0);
  if (block != nullptr && clear) std::memset(block, 0, static_cast<size_t>(bytes));
  return block;
}

bool MasksAreSound(int bits, const uint32_t* masks, int count) {
  const uint32_t pixel = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
  uint32_t taken = 0;
  for (int i = 0; i < count; ++i) {
    const uint32_t mask = masks[i];
    if ((mask & ~pixel) != 0 || (mask & taken) != 0) return false;
    int shift, width;
    MeasureMask(mask, &shift, &width);
    // One run: nothing is left above the run of set bits.
    if (mask != 0 && width < 32 && (mask >> shift >> width) != 0) return false;
    taken |= mask;
  }
  return true;
}

}  // namespace kumo
