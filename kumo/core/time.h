// The library's clocks: the program's millisecond tick and the library's microsecond count.
#pragma once

#include <cstdint>

namespace kumo {

// Microseconds from the time-stamp counter (when asked, measured and started), else from the
// high-resolution counter (when start-up chose it), else from the millisecond tick.
int64_t GetMicroseconds(int useTsc);

}  // namespace kumo
