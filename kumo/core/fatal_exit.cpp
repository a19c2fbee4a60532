#include "kumo/core/fatal_exit.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "kumo/core/api_lock.h"
#include "kumo/core/bodies.h"
#include "kumo/support/log.h"

namespace kumo {

void FatalExit(const char* message) {
  LogWrite(message);
  LogWrite("\n");
  EndLibraryBody();
  ApiLockDestroy();
  // The platform's form of -1.
  std::exit(255);
}

void FatalExitFormat(const char* format, ...) {
  char message[1024];
  va_list values;
  va_start(values, format);
  std::vsnprintf(message, sizeof message, format, values);
  va_end(values);
  FatalExit(message);
}

}  // namespace kumo
