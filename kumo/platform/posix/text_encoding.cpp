#include "kumo/platform/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

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

// One entry per single byte, then 256 per lead byte (0x81-0x9F, 0xE0-0xFC) for its trail bytes.
constexpr int kLeadBytes = 0x9F - 0x81 + 1 + 0xFC - 0xE0 + 1;

int LeadRow(uint32_t lead) {
  if (lead >= 0x81 && lead <= 0x9F) return static_cast<int>(lead - 0x81);
  if (lead >= 0xE0 && lead <= 0xFC) return static_cast<int>(lead - 0xE0 + 0x9F - 0x81 + 1);
  return -1;
}

char32_t ConvertOne(iconv_t converter, const unsigned char* bytes, size_t length) {
  char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(bytes));
  unsigned char out[8];
  char* outPtr = reinterpret_cast<char*>(out);
  size_t outLeft = sizeof out;
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  if (iconv(converter, &in, &length, &outPtr, &outLeft) == static_cast<size_t>(-1) || length != 0 ||
      outLeft != sizeof out - 4) {
    return 0;
  }
  return out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24;
}

// Every character of the code page, converted once; 0 where a code is no character.
std::vector<char32_t> BuildCharTable() {
  std::vector<char32_t> table(256 * (1 + kLeadBytes), 0);
  iconv_t converter = iconv_open("UTF-32LE", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return table;
  for (uint32_t code = 0; code < 256; ++code) {
    if (LeadRow(code) >= 0) continue;
    const unsigned char byte = static_cast<unsigned char>(code);
    table[code] = ConvertOne(converter, &byte, 1);
  }
  for (uint32_t lead = 0x81; lead <= 0xFC; ++lead) {
    const int row = LeadRow(lead);
    if (row < 0) continue;
    for (uint32_t trail = 0; trail < 256; ++trail) {
      const unsigned char bytes[2] = {static_cast<unsigned char>(lead),
                                      static_cast<unsigned char>(trail)};
      table[256 * (1 + row) + trail] = ConvertOne(converter, bytes, 2);
    }
  }
  iconv_close(converter);
  return table;
}

}  // namespace

std::string ShiftJisToUtf8(const char* text, size_t length) {
  return Convert("UTF-8", "CP932", text, length, SkipByte);
}

std::string ShiftJisToUtf8(const char* text) { return ShiftJisToUtf8(text, std::strlen(text)); }

std::string Utf8ToShiftJis(const char* text) {
  return Convert("CP932", "UTF-8", text, std::strlen(text), SkipUtf8Sequence);
}

char32_t ShiftJisCharToUnicode(uint32_t code) {
  static const std::vector<char32_t> table = BuildCharTable();
  if (code < 256) return table[code];
  const int row = LeadRow(code >> 8);
  if (code > 0xFFFF || row < 0) return 0;
  return table[256 * (1 + row) + (code & 0xFF)];
}

}  // namespace kumo::platform
