#include "kumo/support/disk_file.h"

#include <cstdint>
#include <cstring>

#include "kumo/platform/clock.h"
#include "kumo/platform/files.h"
#include "kumo/platform/sync.h"
#include "kumo/platform/threads.h"
#include "kumo/support/log.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

enum Command { kOpen = 0, kCloseFileOnly = 1, kRead = 2, kSeek = 3, kEnd = 4 };

// The reading thread waits this long between looks at an idle cache.
constexpr uint32_t kPrefetchIdleMillis = 100;
constexpr size_t kPathSize = 256;

}  // namespace

// The caller and the reading thread share the command fields, handed over only through the two
// events: the caller writes them after `done` is signalled and before it signals `request`; the
// thread writes them between taking a request and signalling `done`, and the cache fields also
// while no request is pending.
struct DiskFile {
  platform::NativeFile handle;  // direct reads; none when threaded
  int threaded;
  int cacheFlag;
  int asyncFlag;
  int eof;
  int position;  // the caller's position
  int size;      // taken at open
  platform::Thread* thread;
  platform::NativeFile threadFile;
  platform::Event* request;  // manual reset, created not signalled
  platform::Event* done;     // manual reset, created signalled
  int command;
  int openFailed;
  char path[kPathSize];
  unsigned char* readDestination;
  int readPosition;
  int readCount;  // replaced by the thread with the bytes it read from disk
  int seekPosition;
  unsigned char* cache;  // kDiskCacheSize bytes, or none
  int cacheStart;        // file position of the cache's first byte
  int cacheFill;         // valid bytes in the cache
};

namespace {

// Reads `count` bytes at `position` of the thread's file: the bytes read.
int ReadAt(DiskFile* file, int position, unsigned char* destination, int count) {
  if (!platform::SetFilePosition(file->threadFile, position)) return 0;
  const long got =
      platform::ReadFileBytes(file->threadFile, destination, static_cast<size_t>(count));
  return got > 0 ? static_cast<int>(got) : 0;
}

// Fills the cache's free part from the file after the cached bytes.
void Prefetch(DiskFile* file) {
  const int from = file->cacheStart + file->cacheFill;
  if (file->threadFile == platform::kNoFile || file->cacheFill >= kDiskCacheSize ||
      from >= file->size) {
    return;
  }
  file->cacheFill +=
      ReadAt(file, from, file->cache + file->cacheFill, kDiskCacheSize - file->cacheFill);
}

void RunRead(DiskFile* file) {
  int fromDisk = 0;
  if (file->cache != nullptr && file->readPosition == file->cacheStart && file->cacheFill > 0) {
    const int fromCache = file->readCount < file->cacheFill ? file->readCount : file->cacheFill;
    std::memcpy(file->readDestination, file->cache, static_cast<size_t>(fromCache));
    file->readDestination += fromCache;
    file->readPosition += fromCache;
    file->cacheStart += fromCache;
    file->readCount -= fromCache;
    file->cacheFill -= fromCache;
    std::memmove(file->cache, file->cache + fromCache, static_cast<size_t>(file->cacheFill));
  }
  if (file->readCount > 0) {
    fromDisk = ReadAt(file, file->readPosition, file->readDestination, file->readCount);
    if (file->cache != nullptr) {
      file->cacheStart = file->readPosition + fromDisk;
      file->cacheFill = 0;
    }
  }
  file->readCount = fromDisk;
}

// The reading thread: runs the commands it is handed and, with a cache, reads ahead whenever it
// has been idle for a while. It never takes the library lock, allocates or logs.
void ReadingThread(void* argument) {
  DiskFile* file = static_cast<DiskFile*>(argument);
  for (;;) {
    if (file->cache == nullptr) {
      platform::WaitEvent(file->request);
    } else if (!platform::WaitEventFor(file->request, kPrefetchIdleMillis)) {
      Prefetch(file);
      continue;
    }
    platform::ResetEvent(file->request);
    platform::ResetEvent(file->done);
    switch (file->command) {
      case kOpen:
        file->threadFile = platform::OpenFileForRead(file->path, platform::Sharing::Exclusive);
        if (file->threadFile == platform::kNoFile) {
          file->openFailed = 1;
          platform::SignalEvent(file->done);
          return;
        }
        break;
      case kCloseFileOnly:
        platform::CloseFile(file->threadFile);
        file->threadFile = platform::kNoFile;
        break;
      case kRead:
        RunRead(file);
        break;
      case kSeek:
        platform::SetFilePosition(file->threadFile, file->seekPosition);
        if (file->cache != nullptr) {
          file->cacheStart = file->seekPosition;
          file->cacheFill = 0;
        }
        break;
      case kEnd:
        platform::CloseFile(file->threadFile);
        file->threadFile = platform::kNoFile;
        platform::SignalEvent(file->done);
        return;
      default:
        break;
    }
    platform::SignalEvent(file->done);
  }
}

// Waits until the thread has finished its previous command; only then may the caller write the
// command fields.
void AwaitDone(DiskFile* file) { platform::WaitEvent(file->done); }

// Hands the command written into the record to the thread; waits for it when asked.
void Dispatch(DiskFile* file, bool wait) {
  platform::ResetEvent(file->done);
  platform::SignalEvent(file->request);
  if (wait) platform::WaitEvent(file->done);
}

void ReleaseThreadResources(DiskFile* file) {
  TrackedFree(file->cache);
  platform::DestroyEvent(file->request);
  platform::DestroyEvent(file->done);
}

// The file's size as a direct open sees it; -1 when it cannot be opened.
int OpenForSize(const char* path, platform::NativeFile* keep) {
  const platform::NativeFile handle = platform::OpenFileForRead(path, platform::Sharing::ShareRead);
  if (handle == platform::kNoFile) return -1;
  const int64_t size = platform::FileSize(handle);
  // Positions are 32-bit: a larger file cannot be read here.
  if (size < 0 || size > INT32_MAX) {
    platform::CloseFile(handle);
    return -1;
  }
  if (keep != nullptr) {
    *keep = handle;
  } else {
    platform::CloseFile(handle);
  }
  return static_cast<int>(size);
}

}  // namespace

DiskFile* DiskFileOpen(const char* path, int cacheFlag, int asyncFlag) {
  DiskFile* file = static_cast<DiskFile*>(TrackedAllocZero(sizeof(DiskFile), "", 0));
  if (file == nullptr) return nullptr;
  file->handle = platform::kNoFile;
  file->threadFile = platform::kNoFile;
  file->threaded = cacheFlag != 0 || asyncFlag != 0 ? 1 : 0;
  file->cacheFlag = cacheFlag != 0 ? 1 : 0;
  file->asyncFlag = asyncFlag != 0 ? 1 : 0;

  if (file->threaded == 0) {
    file->size = OpenForSize(path, &file->handle);
    if (file->size < 0) {
      TrackedFree(file);
      return nullptr;
    }
    return file;
  }

  // The thread opens the file by its path, which must fit the record.
  const size_t pathLength = std::strlen(path);
  file->size = pathLength < kPathSize ? OpenForSize(path, nullptr) : -1;
  if (file->size < 0) {
    TrackedFree(file);
    return nullptr;
  }
  if (file->cacheFlag == 1) {
    file->cache = static_cast<unsigned char*>(TrackedAlloc(kDiskCacheSize, "", 0));
    if (file->cache == nullptr) {
      LogWrite("ファイル読み込みキャッシュ用メモリの確保に失敗しました\n");
      TrackedFree(file);
      return nullptr;
    }
  }
  file->request = platform::CreateEvent();
  file->done = platform::CreateEvent();
  if (file->done != nullptr) platform::SignalEvent(file->done);
  if (file->request != nullptr && file->done != nullptr) {
    file->thread = platform::StartThread(ReadingThread, file);
  }
  if (file->thread == nullptr) {
    ReleaseThreadResources(file);
    LogWrite("ファイルアクセス専用スレッドの作成に失敗しました\n");
    TrackedFree(file);
    return nullptr;
  }

  AwaitDone(file);
  file->command = kOpen;
  std::memcpy(file->path, path, pathLength + 1);
  Dispatch(file, true);
  if (file->openFailed == 1) {
    platform::CloseThread(file->thread);
    ReleaseThreadResources(file);
    TrackedFree(file);
    LogWrite("ファイルのオープンに失敗しました\n");
    return nullptr;
  }
  return file;
}

void DiskFileClose(DiskFile* file) {
  if (file->threaded == 1) {
    AwaitDone(file);
    file->command = kEnd;
    Dispatch(file, true);
    platform::CloseThread(file->thread);
    ReleaseThreadResources(file);
  } else {
    platform::CloseFile(file->handle);
  }
  TrackedFree(file);
}

int DiskFileTell(const DiskFile* file) { return file->position; }

int DiskFileSeek(DiskFile* file, int offset, int origin) {
  int64_t target;
  switch (origin) {
    case 0:
      target = offset;
      break;
    case 1:
      target = int64_t{file->position} + offset;
      break;
    case 2:
      target = int64_t{file->size} + offset;
      break;
    default:
      return -1;
  }
  if (target < 0 || target > INT32_MAX) return -1;
  if (file->threaded == 1) {
    AwaitDone(file);
    file->command = kSeek;
    file->seekPosition = static_cast<int>(target);
    Dispatch(file, false);
  } else if (!platform::SetFilePosition(file->handle, target)) {
    return -1;
  }
  file->position = static_cast<int>(target);
  file->eof = 0;
  return 0;
}

int DiskFileRead(DiskFile* file, void* destination, int elementSize, int count) {
  if (elementSize <= 0 || count <= 0) return 0;
  if (file->position >= file->size) {
    file->eof = 1;
    return 0;
  }
  const int64_t left = int64_t{file->size} - file->position;
  if (int64_t{elementSize} * count > left) {
    count = static_cast<int>(left / elementSize);
    if (count == 0) {
      file->eof = 1;
      return 0;
    }
  }
  const int bytes = elementSize * count;
  int result;
  if (file->threaded == 1) {
    AwaitDone(file);
    file->command = kRead;
    file->readDestination = static_cast<unsigned char*>(destination);
    file->readPosition = file->position;
    file->readCount = bytes;
    Dispatch(file, file->asyncFlag == 0);
    result = count;
  } else {
    const long got = platform::ReadFileBytes(file->handle, destination, static_cast<size_t>(bytes));
    result = got < 0 ? 0 : static_cast<int>(got / elementSize);
  }
  file->position += bytes;
  return result;
}

int DiskFileEof(const DiskFile* file) { return file->eof == 1 ? -1 : 0; }

int DiskFileIsReady(DiskFile* file) {
  if (file->threaded == 0) return 1;
  return platform::IsEventSignalled(file->done) ? 1 : 0;
}

}  // namespace kumo
