// Streams: the six-operation interface through which image and sound decoders read, over a file
// or over a block of memory.
#pragma once

#include <cstdint>

namespace kumo {

struct StreamOps {
  int (*tell)(void* data);
  int (*seek)(void* data, int offset, int origin);                         // 0
  int (*read)(void* destination, int elementSize, int count, void* data);  // elements read
  int (*eof)(void* data);                                                  // non-zero at the end
  int (*isReady)(void* data);  // 1 when no read is pending
  int (*close)(void* data);    // 0
};

// A stream: its operations and the data value they work on.
struct StreamSource {
  const StreamOps* ops;
  void* data;
};

// Over the file operations; the data value is a file handle from FileOps::open.
const StreamOps& GetFileStreamOps();

// Over a block of memory; the data value is a MemStream from MemStreamOpen.
const StreamOps& GetMemStreamOps();

struct MemStream {
  const unsigned char* data;
  int size;
  int position;
  int eof;
};

// A stream over `size` bytes at `data` (which it does not own), at position 0; none when memory
// runs out. Its Close releases the record, not the bytes.
MemStream* MemStreamOpen(const void* data, int size);

// The data value of a file stream for a file handle.
inline void* FileStreamData(int handle) {
  return reinterpret_cast<void*>(static_cast<intptr_t>(handle));
}

}  // namespace kumo
