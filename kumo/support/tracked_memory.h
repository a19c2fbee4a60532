// Tracked memory: every block the library takes for itself carries a header that links it into
// one list of live blocks, so that the library can count what it holds, dump it to the log and
// find a header that has been overwritten.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kumo {

// The header in front of the caller's bytes: six fields, then a byte copy of them as the guard.
struct TrackedHeader {
  char name[16];         // caller's source name, or its last 15 characters; empty when none
  uint16_t id;           // allocation counter when the block was taken
  uint16_t line;         // caller's line, low 16 bits
  uint32_t size;         // caller's size in bytes
  TrackedHeader* older;  // taken earlier; none only for the anchor
  TrackedHeader* newer;  // taken later; none for the newest
  unsigned char guard[16 + 2 + 2 + 4 + 2 * sizeof(TrackedHeader*)];
};

// Bytes of the six fields, which the guard copies.
constexpr size_t kTrackedFieldsSize = offsetof(TrackedHeader, guard);
// Bytes in front of the caller's; a multiple of 16 keeps the caller's bytes 16-aligned.
constexpr size_t kTrackedHeaderSize = sizeof(TrackedHeader);
static_assert(kTrackedFieldsSize == sizeof(TrackedHeader::guard), "the guard copies the fields");
static_assert(kTrackedHeaderSize % 16 == 0, "the caller's bytes must stay 16-aligned");

struct TrackedSettings {
  int traceAll = 0;     // 1: a trace line for every allocation and free
  int traceSize = 0;    // also trace blocks of exactly this size; negative: every block
  int printTotals = 0;  // 1: the totals line after every allocation and free
  int checkEach = 0;    // 1: TrackedCheck before every allocation returns and every free
};

// The list of live blocks, newest first, ending at the anchor.
struct TrackedMemoryState {
  TrackedHeader* newest = nullptr;  // none until the first allocation
  TrackedHeader anchor = {};        // oldest element: never freed, dumped or checked
  uint16_t counter = 0;             // next ID, wrapping from 65535 to 0
  int totalSize = 0;                // bytes in live blocks
  int count = 0;                    // live blocks, the anchor not counted
  TrackedSettings settings;         // kept across library restarts
};

TrackedMemoryState& TrackedMemory();

// The header of the block whose caller's bytes start at `data`.
inline TrackedHeader* TrackedHeaderOf(void* data) { return static_cast<TrackedHeader*>(data) - 1; }

// A block of `size` bytes, not cleared, or none (after writing the dump) when the heap cannot
// supply it or the size is negative. `name` may be none; the line shows as its low 16 bits.
void* TrackedAlloc(int size, const char* name, int line);

// As TrackedAlloc, with the caller's bytes set to 0.
void* TrackedAllocZero(int size, const char* name, int line);

// Gives a block back: 0 for none, else the heap's result (non-zero on success).
int TrackedFree(void* address);

// Writes every live block, newest first, and the totals to the log. -1.
int TrackedDump();

// 0 when every live block's fields agree with its guard copy; else logs the first damaged
// block and returns -1.
int TrackedCheck();

}  // namespace kumo
