// Conversion of the library's Shift-JIS texts for the services of this system that speak UTF-8.
#pragma once

#include <cstddef>
#include <string>

namespace kumo::platform {

// Bytes that are not Shift-JIS become "?".
std::string ShiftJisToUtf8(const char* text, size_t length);
std::string ShiftJisToUtf8(const char* text);

// UTF-8 text (from the system's own services) as Shift-JIS; what it cannot show becomes "?".
std::string Utf8ToShiftJis(const char* text);

}  // namespace kumo::platform
