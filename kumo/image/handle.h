// The handle encoding shared by the library's handle tables, and a fixed table of record
// pointers that hands out and checks such handles.
#pragma once

#include <cstdint>

namespace kumo {

// Type codes, bits 27 to 30 of a handle.
enum HandleType {
  kHandleGraph = 1,
  kHandleSound = 2,
  kHandleFont = 4,
  kHandlePiece2D = 5,
  kHandlePiece3D = 6,
  kHandleSurfaceData = 7,
  kHandleImageRecord = 8,
  kHandleTextInput = 10,
};

constexpr int kHandleIdLimit = 2048;  // IDs run 0..2047 per table, then wrap

// Bit 31 stays 0, so no valid handle is negative and -1 can mean failure.
constexpr int MakeHandle(int type, int id, int index) {
  return (type << 27) | ((id & (kHandleIdLimit - 1)) << 16) | (index & 0xFFFF);
}
constexpr int HandleType(int handle) { return (handle >> 27) & 0xF; }
constexpr int HandleId(int handle) { return (handle >> 16) & (kHandleIdLimit - 1); }
constexpr int HandleIndex(int handle) { return handle & 0xFFFF; }

// Slots of record pointers of one type; a Record has `int id` and `int handle`. The table only
// keeps the pointers; who allocates and frees the records is the caller's business.
template <typename Record, int kType, int kSize>
struct HandleTable {
  static_assert(kSize <= 0x10000, "the slot index has 16 bits");

  Record* slots[kSize];
  int count;     // records held
  int endIndex;  // one past the highest slot in use
  int idCounter;

  void Clear() {
    for (Record*& slot : slots) slot = nullptr;
    count = 0;
    endIndex = 0;
    idCounter = 0;
  }

  bool Full() const { return count >= kSize; }

  // The record a handle names, or none when it is stale, foreign or out of range.
  Record* Find(int handle) const {
    if (handle < 0 || HandleType(handle) != kType) return nullptr;
    const int index = HandleIndex(handle);
    if (index >= kSize) return nullptr;
    Record* record = slots[index];
    if (record == nullptr || record->id != HandleId(handle)) return nullptr;
    return record;
  }

  // Takes the slot after the highest in use, or the first empty one once the end is reached;
  // gives the record its ID and handle. The handle, or -1 when the table is full.
  int Insert(Record* record) {
    if (Full()) return -1;
    int index = endIndex;
    if (index >= kSize) {
      index = 0;
      while (slots[index] != nullptr) ++index;
    }
    record->id = idCounter;
    idCounter = idCounter + 1 == kHandleIdLimit ? 0 : idCounter + 1;
    record->handle = MakeHandle(kType, record->id, index);
    slots[index] = record;
    ++count;
    if (index == endIndex) ++endIndex;
    return record->handle;
  }

  // Empties the record's slot (the record itself is left to the caller).
  void Remove(const Record* record) {
    const int index = HandleIndex(record->handle);
    if (index >= kSize || slots[index] != record) return;
    slots[index] = nullptr;
    --count;
    if (index + 1 == endIndex) {
      while (endIndex > 0 && slots[endIndex - 1] == nullptr) --endIndex;
    }
  }
};

}  // namespace kumo
