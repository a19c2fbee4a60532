#include "kumo/support/tracked_memory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "kumo/platform/heap.h"
#include "kumo/support/log.h"

namespace kumo {

namespace {

constexpr size_t kNameLength = sizeof(TrackedHeader::name) - 1;
// A record line shows at most this many of the caller's bytes.
constexpr uint32_t kShownBytes = 16;

void RefreshGuard(TrackedHeader* header) {
  if (header != nullptr) std::memcpy(header->guard, header, kTrackedFieldsSize);
}

bool Traced(uint32_t size) {
  const TrackedSettings& settings = TrackedMemory().settings;
  return settings.traceSize < 0 || settings.traceSize == static_cast<int>(size) ||
         settings.traceAll == 1;
}

// One log line describing a block and the first `shown` of its bytes.
void WriteRecordLine(const TrackedHeader& header, uint32_t shown) {
  // The longest line (widest numbers, a 16-byte name, 16 bytes shown) takes some 155 bytes.
  char line[260];
  const int start =
      std::snprintf(line, sizeof line, "\tsize:%d(%.3fkb)  file:%.*s  line:%d  ID:%d  data:<",
                    static_cast<int>(header.size), header.size / 1024.0,
                    static_cast<int>(sizeof header.name), header.name, header.line, header.id);
  size_t at = static_cast<size_t>(start);

  const unsigned char* data = reinterpret_cast<const unsigned char*>(&header + 1);
  for (uint32_t i = 0; i < shown; ++i) {
    line[at++] = data[i] >= 0x20 && data[i] <= 0x7F ? static_cast<char>(data[i]) : '.';
  }
  std::memcpy(line + at, "> [", 3);
  at += 3;
  static const char kHex[] = "0123456789abcdef";
  for (uint32_t i = 0; i < shown; ++i) {
    line[at++] = kHex[data[i] >> 4];
    line[at++] = kHex[data[i] & 0x0F];
    line[at++] = ' ';
  }
  // The last character, the space after the last byte or the "[" itself, closes the line.
  line[at - 1] = ']';
  line[at++] = '\n';
  line[at] = '\0';
  LogWrite(line);
}

uint32_t ShownBytes(const TrackedHeader& header) { return std::min(header.size, kShownBytes); }

void WriteTotals() {
  const TrackedMemoryState& tracker = TrackedMemory();
  LogWriteFormat("\tTotal size:%d(%.3fkb)  Alloc num:%d", tracker.totalSize,
                 tracker.totalSize / 1024.0, tracker.count);
}

}  // namespace

TrackedMemoryState& TrackedMemory() {
  static TrackedMemoryState state;
  return state;
}

void* TrackedAlloc(int size, const char* name, int line) {
  TrackedMemoryState& tracker = TrackedMemory();
  const uint32_t bytes = static_cast<uint32_t>(size);
  // A negative size would ask for some 4 GiB, which a 64-bit heap may grant; refuse it as an
  // exhausted heap would.
  void* taken = size < 0 ? nullptr : platform::HeapTake(size_t{bytes} + kTrackedHeaderSize);
  if (taken == nullptr) {
    TrackedDump();
    return nullptr;
  }

  TrackedHeader* header = static_cast<TrackedHeader*>(taken);
  std::memset(header->name, 0, sizeof header->name);
  if (name != nullptr) {
    const size_t length = std::strlen(name);
    const size_t kept = std::min(length, kNameLength);
    std::memcpy(header->name, name + (length - kept), kept);
  }
  header->id = tracker.counter++;
  header->line = static_cast<uint16_t>(line);
  header->size = bytes;

  if (tracker.newest == nullptr) tracker.newest = &tracker.anchor;
  tracker.newest->newer = header;
  header->older = tracker.newest;
  header->newer = nullptr;
  tracker.newest = header;
  RefreshGuard(header);
  RefreshGuard(header->older);

  tracker.totalSize += size;
  tracker.count += 1;

  if (Traced(bytes)) {
    LogWrite("mem alloc  ");
    WriteRecordLine(*header, ShownBytes(*header));
  }
  if (tracker.settings.printTotals == 1) WriteTotals();
  if (tracker.settings.checkEach == 1) TrackedCheck();
  return header + 1;
}

void* TrackedAllocZero(int size, const char* name, int line) {
  void* data = TrackedAlloc(size, name, line);
  if (data != nullptr) std::memset(data, 0, static_cast<uint32_t>(size));
  return data;
}

int TrackedFree(void* address) {
  if (address == nullptr) return 0;
  TrackedMemoryState& tracker = TrackedMemory();
  TrackedHeader* header = TrackedHeaderOf(address);

  tracker.totalSize -= static_cast<int>(header->size);
  tracker.count -= 1;
  if (tracker.settings.checkEach == 1) TrackedCheck();

  if (header->older != nullptr) header->older->newer = header->newer;
  if (header->newer != nullptr) header->newer->older = header->older;
  if (tracker.newest == header) tracker.newest = header->older;
  RefreshGuard(header->older);
  RefreshGuard(header->newer);

  if (Traced(header->size)) {
    LogWrite("mem free  ");
    WriteRecordLine(*header, ShownBytes(*header));
  }
  if (tracker.settings.printTotals == 1) WriteTotals();
  return platform::HeapGiveBack(header);
}

int TrackedDump() {
  TrackedMemoryState& tracker = TrackedMemory();
  LogWrite("\n");
  // No line feed: the first record line continues this line.
  LogWrite("Alloc memory dump");
  for (const TrackedHeader* header = tracker.newest; header != nullptr && header != &tracker.anchor;
       header = header->older) {
    WriteRecordLine(*header, ShownBytes(*header));
  }
  WriteTotals();
  return LogWrite("\n");
}

int TrackedCheck() {
  TrackedMemoryState& tracker = TrackedMemory();
  for (const TrackedHeader* header = tracker.newest; header != nullptr && header != &tracker.anchor;
       header = header->older) {
    if (std::memcmp(header, header->guard, kTrackedFieldsSize) == 0) continue;
    // A damaged size must not make the line read past the block: show no more bytes than
    // the guard copy's size allows either.
    uint32_t guardSize = 0;
    std::memcpy(&guardSize, header->guard + offsetof(TrackedHeader, size), sizeof guardSize);
    LogWrite("以下のメモリ確保情報が破損しました");
    WriteRecordLine(*header, std::min(ShownBytes(*header), guardSize));
    return -1;
  }
  return 0;
}

}  // namespace kumo
