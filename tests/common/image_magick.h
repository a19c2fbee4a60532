// ImageMagick's convert, which writes the decoder tests' fixtures and reads them as a reference.
#pragma once

#include <unistd.h>

namespace kumo::testing {

// Debian's own program, ahead of anything else of that name on the path.
inline const char* ConvertProgram() {
  return access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert" : "convert";
}

}  // namespace kumo::testing
