#include "kumo/support/streams.h"

#include <cstdint>
#include <cstring>

#include "kumo/support/file_access.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

int HandleOf(void* data) { return static_cast<int>(reinterpret_cast<intptr_t>(data)); }

int FileTell(void* data) { return Files().tell(HandleOf(data)); }
int FileSeek(void* data, int offset, int origin) {
  return Files().seek(HandleOf(data), offset, origin);
}
int FileRead(void* destination, int elementSize, int count, void* data) {
  return Files().read(destination, elementSize, count, HandleOf(data));
}
int FileEof(void* data) { return Files().eof(HandleOf(data)); }
int FileIsReady(void* data) { return Files().isReady(HandleOf(data)); }
int FileClose(void* data) { return Files().close(HandleOf(data)); }

constexpr StreamOps kFileStreamOps = {FileTell, FileSeek,    FileRead,
                                      FileEof,  FileIsReady, FileClose};

MemStream* Mem(void* data) { return static_cast<MemStream*>(data); }

int MemTell(void* data) { return Mem(data)->position; }

// Targets are clamped into the block.
int MemSeek(void* data, int offset, int origin) {
  MemStream* stream = Mem(data);
  int64_t target = offset;
  if (origin == 1) target += stream->position;
  if (origin == 2) target += stream->size;
  if (target < 0) target = 0;
  if (target > stream->size) target = stream->size;
  stream->position = static_cast<int>(target);
  stream->eof = 0;
  return 0;
}

// Whole elements while there are any; a last part of an element counts as one.
int MemRead(void* destination, int elementSize, int count, void* data) {
  MemStream* stream = Mem(data);
  if (stream->position >= stream->size) {
    stream->eof = 1;
    return 0;
  }
  if (elementSize <= 0 || count <= 0) return 0;
  const int left = stream->size - stream->position;
  const int whole = left / elementSize;
  if (count > whole) count = whole;
  const int bytes = count >= 1 ? count * elementSize : left;
  std::memcpy(destination, stream->data + stream->position, static_cast<size_t>(bytes));
  stream->position += bytes;
  stream->eof = 0;
  return count >= 1 ? count : 1;
}

int MemEof(void* data) { return Mem(data)->eof; }
int MemIsReady(void*) { return 1; }
int MemClose(void* data) {
  TrackedFree(data);
  return 0;
}

constexpr StreamOps kMemStreamOps = {MemTell, MemSeek, MemRead, MemEof, MemIsReady, MemClose};

}  // namespace

const StreamOps& GetFileStreamOps() { return kFileStreamOps; }

const StreamOps& GetMemStreamOps() { return kMemStreamOps; }

MemStream* MemStreamOpen(const void* data, int size) {
  MemStream* stream = static_cast<MemStream*>(TrackedAlloc(sizeof(MemStream), "", 0));
  if (stream == nullptr) return nullptr;
  *stream = {static_cast<const unsigned char*>(data), size < 0 ? 0 : size, 0, 0};
  return stream;
}

}  // namespace kumo
