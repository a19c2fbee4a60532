#include "kumo/platform/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace kumo::platform {

namespace {

// Converts with iconv; a character that cannot be converted becomes "?", and the conversion
// goes on after it (`skip` gives its length in the source).
std::string Convert(const char* toCode, const char* fromCode, const char* text, size_t length,
                    size_t (*skip)(const char* at, size_t left)) {
  iconv_t converter = iconv_open(toCode, fromCode);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(text, length);
  std::string out;
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
      const size_t skipped = skip(in, inLeft);
      in += skipped;
      inLeft -= skipped;
      out.push_back('?');
    }
  }
  iconv_close(converter);
  return out;
}

size_t SkipByte(const char*, size_t) { return 1; }

// A UTF-8 sequence: its first byte and the continuation bytes after it.
size_t SkipUtf8Sequence(const char* at, size_t left) {
  size_t length = 1;
  while (length < left && (static_cast<unsigned char>(at[length]) & 0xC0) == 0x80) ++length;
  return length;
}

}  // namespace

std::string ShiftJisToUtf8(const char* text, size_t length) {
  return Convert("UTF-8", "CP932", text, length, SkipByte);
}

std::string ShiftJisToUtf8(const char* text) { return ShiftJisToUtf8(text, std::strlen(text)); }

std::string Utf8ToShiftJis(const char* text) {
  return Convert("CP932", "UTF-8", text, std::strlen(text), SkipUtf8Sequence);
}

}  // namespace kumo::platform
