#include "kumo/platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace kumo::platform {

namespace {

std::atomic<uint64_t> gReads{0};
std::atomic<uint64_t> gBytesRead{0};

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// The one entry of `directory` named `name` without regard to ASCII case; `name` itself when
// there is none or more than one.
std::string MatchIgnoringCase(const std::string& directory, const std::string& name) {
  DIR* listing = opendir(directory.empty() ? "." : directory.c_str());
  if (listing == nullptr) return name;
  std::string match;
  int matches = 0;
  while (const dirent* entry = readdir(listing)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      match = entry->d_name;
      ++matches;
    }
  }
  closedir(listing);
  return matches == 1 ? match : name;
}

}  // namespace

std::string NativePath(const char* path) {
  // Map the separators, stepping over double-byte characters whose second byte may be 0x5C.
  std::string mapped;
  for (const char* p = path; *p != '\0'; ++p) {
    const unsigned char byte = static_cast<unsigned char>(*p);
    if (IsLeadByte(byte) && p[1] != '\0') {
      mapped.push_back(*p++);
      mapped.push_back(*p);
    } else {
      mapped.push_back(byte == '\\' ? '/' : *p);
    }
  }
  if (mapped.empty() || Exists(mapped)) return mapped;

  // Rebuild the path name by name, taking each missing name in the case in which it exists.
  std::string built = mapped[0] == '/' ? "/" : "";
  size_t start = built.size();
  while (start < mapped.size()) {
    size_t end = mapped.find('/', start);
    if (end == std::string::npos) end = mapped.size();
    const std::string name = mapped.substr(start, end - start);
    if (!name.empty()) {
      const std::string exact = built + name;
      built = Exists(exact) ? exact : built + MatchIgnoringCase(built, name);
      if (end < mapped.size()) built += '/';
    }
    start = end + 1;
  }
  return built;
}

bool DeleteFileAt(const char* path) { return unlink(NativePath(path).c_str()) == 0; }

bool CreateNewFile(const char* path) {
  const int file = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (file < 0) return false;
  close(file);
  return true;
}

NativeFile OpenFileForRead(const char* path, Sharing sharing) {
  const int file = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return kNoFile;
  struct stat info {};
  // Only regular files are read; a directory opens here but cannot be read.
  const bool regular = fstat(file, &info) == 0 && S_ISREG(info.st_mode);
  const int lock = sharing == Sharing::Exclusive ? LOCK_EX : LOCK_SH;
  if (!regular || flock(file, lock | LOCK_NB) != 0) {
    close(file);
    return kNoFile;
  }
  return file;
}

long ReadFileBytes(NativeFile file, void* destination, size_t length) {
  ssize_t got;
  do {
    got = read(file, destination, length);
  } while (got < 0 && errno == EINTR);
  gReads.fetch_add(1, std::memory_order_relaxed);
  if (got > 0) gBytesRead.fetch_add(static_cast<uint64_t>(got), std::memory_order_relaxed);
  return static_cast<long>(got);
}

bool SetFilePosition(NativeFile file, int64_t position) {
  return position >= 0 && lseek(file, static_cast<off_t>(position), SEEK_SET) >= 0;
}

int64_t FileSize(NativeFile file) {
  struct stat info {};
  return fstat(file, &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

FileReadCounters ReadCounters() {
  return {gReads.load(std::memory_order_relaxed), gBytesRead.load(std::memory_order_relaxed)};
}

NativeFile OpenFileForAppend(const char* path) {
  const int file = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  return file < 0 ? kNoFile : file;
}

bool WriteFileBytes(NativeFile file, const void* bytes, size_t length) {
  const char* next = static_cast<const char*>(bytes);
  while (length > 0) {
    const ssize_t written = write(file, next, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    next += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

void CloseFile(NativeFile file) {
  if (file != kNoFile) close(file);
}

size_t GetCurrentDir(char* buffer, size_t size) {
  if (buffer == nullptr || size == 0 || getcwd(buffer, size) == nullptr) return 0;
  return std::strlen(buffer);
}

bool SetCurrentDir(const char* path) { return chdir(NativePath(path).c_str()) == 0; }

}  // namespace kumo::platform
