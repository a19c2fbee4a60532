// The debugger's output channel. Here it is standard error, and only when KUMO_DEBUG_OUTPUT=1,
// so that a normal run stays quiet.
#pragma once

#include <cstddef>

namespace kumo::platform {

// Sends `length` bytes of Shift-JIS text.
void DebugOutput(const char* text, size_t length);

}  // namespace kumo::platform
