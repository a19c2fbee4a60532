// File access: one library-wide table of file operations over the open-file table. A file is
// found inside an archive file or on disk; a file handle is 0xF0000000 OR its slot's index.
#pragma once

namespace kumo {

struct FileOps {
  // cacheFlag gives a disk file a reading thread with a read-ahead cache; asyncFlag a reading
  // thread whose reads return at once. The third value is ignored (callers pass 1). The file
  // handle, or 0.
  int (*open)(const char* path, int cacheFlag, int ignored, int asyncFlag);
  int (*close)(int handle);  // 0, -1 for an empty slot
  int (*tell)(int handle);   // position, -1 for an empty slot
  // origin 0 from the start, 1 from the position, 2 from the end. 0, or -1.
  int (*seek)(int handle, int offset, int origin);
  // Note the order: destination, element size, count, handle. Whole elements read.
  int (*read)(void* destination, int elementSize, int count, int handle);
  int (*eof)(int handle);                // -1 once a read found no data left, else 0
  int (*isReady)(int handle);            // 1 when no read is pending
  int (*setDir)(const char* directory);  // 0; makes it the current directory
  int (*getDir)(char* buffer);           // 0; the current directory into 256 bytes
};

// The table every file the library reads goes through.
const FileOps& Files();

// Empties the open-file table (without closing anything) and installs the library's file
// operations; start-up does this before anything is opened.
void FileAccessStart();

// Slots of the open-file table.
constexpr int kOpenFileSlots = 512;

// Number of files open now.
int OpenFileCount();

// Yields the processor until the file has no read pending (or is not a file).
void WaitUntilFileReady(int handle);

}  // namespace kumo
