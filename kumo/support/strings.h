// The library's string functions. Texts are zero-terminated Shift-JIS: a lead byte (0x81 to 0x9F
// or 0xE0 to 0xFC) takes the next byte with it, and every scan steps over both.
#pragma once

#include <cstddef>

namespace kumo {

// Which bytes start a double-byte character: Shift-JIS, or (Korean code page) every byte from
// 0x80 up.
enum class CharacterSet { ShiftJis = 1, AllHighBytes = 2 };

bool IsLeadByte(unsigned char byte, CharacterSet set = CharacterSet::ShiftJis);

// Copies `text` with its terminator.
void TextCopy(char* destination, const char* text);

// Appends `text` to `destination`.
void TextAppend(char* destination, const char* text);

// The first occurrence of `byte` outside double-byte characters, or none.
const char* TextFindChar(const char* text, char byte);

// 0 when the texts are equal (the first n bytes, for TextCompareN), else non-zero.
int TextCompare(const char* a, const char* b);
int TextCompareN(const char* a, const char* b, size_t n);

// a to z become A to Z; double-byte characters are left as they are.
void TextUpper(char* text);

// Skips to the first digit or "-", then reads decimal digits; -1 when there is none.
int TextToInt(const char* text);

// Writes `value` in `base` (2 to 36) with lower-case digits above 9 and "-" for negatives.
// `destination` needs room for 34 bytes. A base out of range writes an empty text.
void IntToText(int value, char* destination, int base);

// 1 when the byte at `position` starts a double-byte character of `text`, else 0.
int IsDoubleByteAt(const char* text, size_t position, CharacterSet set = CharacterSet::ShiftJis);

}  // namespace kumo
