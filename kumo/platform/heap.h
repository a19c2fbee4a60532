// The process heap.
#pragma once

#include <cstddef>

namespace kumo::platform {

// A block of `size` bytes, not cleared; none when the heap cannot supply it.
void* HeapTake(size_t size);

// Gives a block back; non-zero on success.
int HeapGiveBack(void* block);

}  // namespace kumo::platform
