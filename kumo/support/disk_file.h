// A file on disk, read directly or through a reading thread of its own. The thread keeps an
// optional 128 KB read-ahead cache and lets a caller start a read and go on working until
// IsReady says the bytes are there.
#pragma once

namespace kumo {

struct DiskFile;

// Size of the read-ahead cache.
constexpr int kDiskCacheSize = 131072;

// Opens `path`; a reading thread serves it when either flag is set (the cache flag gives it the
// read-ahead cache, the async flag makes Read return at once). None on failure.
DiskFile* DiskFileOpen(const char* path, int cacheFlag, int asyncFlag);

// Ends the reading thread, if any, and releases everything the file holds.
void DiskFileClose(DiskFile* file);

int DiskFileTell(const DiskFile* file);

// origin 0 from the start, 1 from the position, 2 from the end. Not clamped to the file. On a
// threaded file the seek is handed to the thread without waiting for it. 0, or -1.
int DiskFileSeek(DiskFile* file, int offset, int origin);

// Reads up to `count` whole elements, never past the size the file had when it was opened: the
// number of elements (on an asynchronous file, the number it will have read once ready).
int DiskFileRead(DiskFile* file, void* destination, int elementSize, int count);

// -1 once a read found no data left, else 0.
int DiskFileEof(const DiskFile* file);

// 1 when no read is pending, 0 while an asynchronous read runs.
int DiskFileIsReady(DiskFile* file);

}  // namespace kumo
