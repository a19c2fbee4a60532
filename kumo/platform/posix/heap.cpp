#include "kumo/platform/heap.h"

#include <cstdlib>

namespace kumo::platform {

void* HeapTake(size_t size) { return std::malloc(size == 0 ? 1 : size); }

int HeapGiveBack(void* block) {
  std::free(block);
  return 1;
}

}  // namespace kumo::platform
