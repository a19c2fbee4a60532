#include "kumo/platform/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace kumo::platform {

std::string ShiftJisToUtf8(const char* text, size_t length) {
  std::string out;
  iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(text, length);
  out.reserve(length * 3 / 2);
  char* in = const_cast<char*>(text);
  size_t inLeft = length;
  char chunk[256];
  while (inLeft > 0) {
    char* outPtr = chunk;
    size_t outLeft = sizeof chunk;
    const size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    out.append(chunk, static_cast<size_t>(outPtr - chunk));
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      // An invalid or cut-off character: show it as "?" and go on after its first byte.
      out.push_back('?');
      ++in;
      --inLeft;
    }
  }
  iconv_close(converter);
  return out;
}

std::string ShiftJisToUtf8(const char* text) { return ShiftJisToUtf8(text, std::strlen(text)); }

}  // namespace kumo::platform
