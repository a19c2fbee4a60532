// Files and directories. Paths are the library's own: Shift-JIS text with "\" or "/" as the
// separator; a name that does not exist with its exact case matches the one entry of its
// directory that differs only in ASCII case.
#pragma once

#include <cstddef>
#include <string>

namespace kumo::platform {

// The path as the file system names it.
std::string NativePath(const char* path);

// Removes a file; true when it was removed.
bool DeleteFileAt(const char* path);

// Creates an empty file that must not exist yet; true on success.
bool CreateNewFile(const char* path);

// A file opened for writing at its end, created when missing.
using NativeFile = int;
constexpr NativeFile kNoFile = -1;
NativeFile OpenFileForAppend(const char* path);
bool WriteFileBytes(NativeFile file, const void* bytes, size_t length);
void CloseFile(NativeFile file);

// The current directory into `buffer` (zero-terminated): its length, or 0 when it does not fit
// or cannot be read.
size_t GetCurrentDir(char* buffer, size_t size);
bool SetCurrentDir(const char* path);

}  // namespace kumo::platform
