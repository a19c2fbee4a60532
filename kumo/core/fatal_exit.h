// The library's fatal-error exit.
#pragma once

namespace kumo {

// Writes the message and "\n" to the log, shuts the library down, destroys the lock and ends
// the process with exit status 255 (the platform's form of -1).
[[noreturn]] void FatalExit(const char* message);

// The same, with the message formatted into a 1024-byte buffer first.
[[noreturn]] void FatalExitFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kumo
