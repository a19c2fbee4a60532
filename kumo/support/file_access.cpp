#include "kumo/support/file_access.h"

#include <array>
#include <cstdint>

#include "kumo/platform/clock.h"
#include "kumo/platform/files.h"
#include "kumo/support/archive.h"
#include "kumo/support/archive_lookup.h"
#include "kumo/support/disk_file.h"
#include "kumo/support/log.h"
#include "kumo/support/normalize_path.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

constexpr uint32_t kFileHandleMark = 0xF0000000u;
constexpr size_t kDirectorySize = 256;

// No archive can be opened yet, so every open file is a disk file; a member's reads go to the
// archive layer once it reads archives.
struct OpenFile {
  int inArchive;  // 1: a member of an archive; 0: a disk file
  DiskFile* disk;
  int archive;  // the archive that holds the member
  ArchiveMember* member;
};

struct OpenFileTable {
  std::array<OpenFile*, kOpenFileSlots> slots{};
  int count = 0;
};

OpenFileTable gTable;

// The record of a handle, looked up by its low 28 bits; none for an empty or unknown slot.
OpenFile* Lookup(int handle) {
  const uint32_t index = static_cast<uint32_t>(handle) & 0x0FFFFFFFu;
  return index < kOpenFileSlots ? gTable.slots[index] : nullptr;
}

int Open(const char* path, int cacheFlag, int, int asyncFlag) {
  if (gTable.count >= kOpenFileSlots) {
    LogWrite("同時に開けるファイルの数が限界を超えました\n");
    return 0;
  }
  int slot = 0;
  while (gTable.slots[slot] != nullptr) ++slot;
  OpenFile* record = static_cast<OpenFile*>(TrackedAllocZero(sizeof(OpenFile), "", 0));
  if (record == nullptr) {
    LogWrite("ファイルの情報を格納するメモリの確保に失敗しました\n");
    return 0;
  }

  char normalized[kNormalizedPathSize];
  const ArchiveLookup lookup = NormalizePath(path, normalized, sizeof normalized) == 0
                                   ? LookUpArchive(normalized, ArchiveOpen)
                                   : ArchiveLookup{-1, nullptr};
  if (lookup.archive >= 0) {
    record->inArchive = 1;
    record->archive = lookup.archive;
    record->member = ArchiveMemberOpen(lookup.archive, lookup.member, asyncFlag);
    if (record->member == nullptr) {
      ArchiveRelease(lookup.archive);
      TrackedFree(record);
      return 0;
    }
  } else {
    record->disk = DiskFileOpen(path, cacheFlag, asyncFlag);
    if (record->disk == nullptr) {
      TrackedFree(record);
      return 0;
    }
  }
  gTable.slots[slot] = record;
  gTable.count += 1;
  return static_cast<int>(kFileHandleMark | static_cast<uint32_t>(slot));
}

int Close(int handle) {
  OpenFile* record = Lookup(handle);
  if (record == nullptr) return -1;
  if (record->inArchive == 1) {
    ArchiveRelease(record->archive);
  } else {
    DiskFileClose(record->disk);
  }
  TrackedFree(record);
  gTable.slots[static_cast<uint32_t>(handle) & 0x0FFFFFFFu] = nullptr;
  gTable.count -= 1;
  return 0;
}

int Tell(int handle) {
  const OpenFile* record = Lookup(handle);
  return record == nullptr ? -1 : DiskFileTell(record->disk);
}

int Seek(int handle, int offset, int origin) {
  OpenFile* record = Lookup(handle);
  return record == nullptr ? -1 : DiskFileSeek(record->disk, offset, origin);
}

int Read(void* destination, int elementSize, int count, int handle) {
  OpenFile* record = Lookup(handle);
  return record == nullptr ? -1 : DiskFileRead(record->disk, destination, elementSize, count);
}

int Eof(int handle) {
  const OpenFile* record = Lookup(handle);
  return record == nullptr ? -1 : DiskFileEof(record->disk);
}

int IsReady(int handle) {
  OpenFile* record = Lookup(handle);
  return record == nullptr ? -1 : DiskFileIsReady(record->disk);
}

int SetDir(const char* directory) {
  platform::SetCurrentDir(directory);
  return 0;
}

int GetDir(char* buffer) {
  if (platform::GetCurrentDir(buffer, kDirectorySize) == 0) buffer[0] = '\0';
  return 0;
}

constexpr FileOps kLibraryFileOps = {Open, Close, Tell, Seek, Read, Eof, IsReady, SetDir, GetDir};

FileOps gFileOps = kLibraryFileOps;

}  // namespace

const FileOps& Files() { return gFileOps; }

void FileAccessStart() {
  gTable = {};
  ForgetFoundArchive();
  gFileOps = kLibraryFileOps;
}

int OpenFileCount() { return gTable.count; }

void WaitUntilFileReady(int handle) {
  while (Files().isReady(handle) == 0) platform::SleepMillis(0);
}

}  // namespace kumo
