// Files and directories. Paths are the library's own: Shift-JIS text with "\" or "/" as the
// separator; a name that does not exist with its exact case matches the one entry of its
// directory that differs only in ASCII case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kumo::platform {

// The path as the file system names it.
std::string NativePath(const char* path);

// Removes a file; true when it was removed.
bool DeleteFileAt(const char* path);

// Creates an empty file that must not exist yet; true on success.
bool CreateNewFile(const char* path);

using NativeFile = int;
constexpr NativeFile kNoFile = -1;

// A regular file opened for reading. ShareRead lets others read it at the same time; Exclusive
// fails while anyone else has it open through this service, and keeps others out until closed.
enum class Sharing { ShareRead, Exclusive };
NativeFile OpenFileForRead(const char* path, Sharing sharing);

// Reads up to `length` bytes at the file pointer and moves it on: the bytes read (0 at the
// end), or -1 on failure.
long ReadFileBytes(NativeFile file, void* destination, size_t length);

// Moves the file pointer to `position` from the start; false on failure.
bool SetFilePosition(NativeFile file, int64_t position);

// The file's size in bytes, or -1.
int64_t FileSize(NativeFile file);

// How often, and for how many bytes, the disk has been read since the process started.
struct FileReadCounters {
  uint64_t reads;
  uint64_t bytes;
};
FileReadCounters ReadCounters();

// A file opened for writing at its end, created when missing.
NativeFile OpenFileForAppend(const char* path);
bool WriteFileBytes(NativeFile file, const void* bytes, size_t length);

void CloseFile(NativeFile file);

// The current directory into `buffer` (zero-terminated): its length, or 0 when it does not fit
// or cannot be read.
size_t GetCurrentDir(char* buffer, size_t size);
bool SetCurrentDir(const char* path);

}  // namespace kumo::platform
