#include "kumo/core/text_input.h"

namespace kumo {

namespace {

// First in, first out.
struct CharacterBuffer {
  char characters[kTextInputChars];
  int start = 0;
  int count = 0;
};

CharacterBuffer gBuffer;

}  // namespace

void TextInputPut(char character) {
  if (gBuffer.count == kTextInputChars) return;
  gBuffer.characters[(gBuffer.start + gBuffer.count) % kTextInputChars] = character;
  gBuffer.count += 1;
}

int TextInputHasRoom() { return gBuffer.count < kTextInputChars ? 1 : 0; }

void TextInputClear() {
  gBuffer.start = 0;
  gBuffer.count = 0;
}

}  // namespace kumo
