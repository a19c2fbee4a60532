// The text-input layer's character buffer, fed by the window procedure. Nothing in this system
// reads it.
#pragma once

namespace kumo {

// Buffer size in characters.
constexpr int kTextInputChars = 1024;

// Adds a character; a full buffer drops it.
void TextInputPut(char character);

// 1 while there is room for another character.
int TextInputHasRoom();

// Empties the buffer.
void TextInputClear();

}  // namespace kumo
