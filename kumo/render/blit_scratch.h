// Scratch tables the blits build before their loops: kept between calls and grown for the
// largest request so far, never on the stack. Only one blit runs at a time (the library lock).
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>

namespace kumo::blit {

template <class T>
class ScratchTable {
 public:
  // Room for `count` entries, or null when the table cannot grow.
  T* Reserve(size_t count) {
    if (count > capacity_) {
      const size_t grown = std::max<size_t>(count, 1024);
      data_.reset(new (std::nothrow) T[grown]);
      capacity_ = data_ ? grown : 0;
      if (!data_) return nullptr;
    }
    return data_.get();
  }

 private:
  std::unique_ptr<T[]> data_;
  size_t capacity_ = 0;
};

}  // namespace kumo::blit
