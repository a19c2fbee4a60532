#include "kumo/support/strings.h"

#include <cstdint>
#include <cstring>

namespace kumo {

bool IsLeadByte(unsigned char byte, CharacterSet set) {
  if (set == CharacterSet::AllHighBytes) return byte >= 0x80;
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

namespace {

// The length of the character at `at`: 2 for a double-byte character, 1 otherwise (also for a
// lead byte just before the terminator, so that no scan steps over it).
size_t CharacterLength(const char* at, CharacterSet set) {
  return IsLeadByte(static_cast<unsigned char>(at[0]), set) && at[1] != '\0' ? 2 : 1;
}

}  // namespace

void TextCopy(char* destination, const char* text) { std::strcpy(destination, text); }

void TextAppend(char* destination, const char* text) { std::strcat(destination, text); }

const char* TextFindChar(const char* text, char byte) {
  for (const char* at = text; *at != '\0'; at += CharacterLength(at, CharacterSet::ShiftJis)) {
    if (*at == byte) return at;
  }
  return nullptr;
}

int TextCompare(const char* a, const char* b) { return std::strcmp(a, b) == 0 ? 0 : 1; }

int TextCompareN(const char* a, const char* b, size_t n) {
  return std::strncmp(a, b, n) == 0 ? 0 : 1;
}

void TextUpper(char* text) {
  for (char* at = text; *at != '\0';) {
    if (*at >= 'a' && *at <= 'z') *at = static_cast<char>(*at - 'a' + 'A');
    at += CharacterLength(at, CharacterSet::ShiftJis);
  }
}

int TextToInt(const char* text) {
  const char* at = text;
  while (*at != '\0' && *at != '-' && (*at < '0' || *at > '9')) ++at;
  const bool negative = *at == '-';
  if (negative) ++at;
  if (*at < '0' || *at > '9') return -1;
  int64_t value = 0;
  for (; *at >= '0' && *at <= '9'; ++at) {
    // Saturate rather than overflow on a long run of digits.
    if (value < int64_t{1} << 31) value = value * 10 + (*at - '0');
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int>(value);
}

void IntToText(int value, char* destination, int base) {
  destination[0] = '\0';
  if (base < 2 || base > 36) return;
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  // Widened, so that the most negative int has a magnitude.
  int64_t magnitude = value;
  char* at = destination;
  if (magnitude < 0) {
    *at++ = '-';
    magnitude = -magnitude;
  }
  char reversed[33];
  int count = 0;
  do {
    reversed[count++] = kDigits[magnitude % base];
    magnitude /= base;
  } while (magnitude > 0);
  while (count > 0) *at++ = reversed[--count];
  *at = '\0';
}

int IsDoubleByteAt(const char* text, size_t position, CharacterSet set) {
  size_t at = 0;
  while (at < position) {
    if (text[at] == '\0') return 0;
    at += CharacterLength(text + at, set);
  }
  return at == position && text[at] != '\0' && CharacterLength(text + at, set) == 2 ? 1 : 0;
}

}  // namespace kumo
