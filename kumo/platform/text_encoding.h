// Conversion of the library's Shift-JIS texts for the services of this system that speak UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kumo::platform {

// Bytes that are not Shift-JIS become "?".
std::string ShiftJisToUtf8(const char* text, size_t length);
std::string ShiftJisToUtf8(const char* text);

// UTF-8 text (from the system's own services) as Shift-JIS; what it cannot show becomes "?".
std::string Utf8ToShiftJis(const char* text);

// The Unicode code point of one Shift-JIS character, given as its byte or as lead byte x 256 +
// trail byte; 0 for a code that is no character.
char32_t ShiftJisCharToUnicode(uint32_t code);

}  // namespace kumo::platform
