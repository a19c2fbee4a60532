#include <SDL.h>

#include <cstdio>
#include <string>

#include "kumo/platform/backend.h"
#include "kumo/platform/text_encoding.h"

namespace kumo::platform {

namespace {

void ShowSdlMessageBox(const char* caption, const char* text) {
  const std::string utf8Caption = ShiftJisToUtf8(caption);
  const std::string utf8Text = ShiftJisToUtf8(text);
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, utf8Caption.c_str(), utf8Text.c_str(),
                               nullptr) != 0) {
    // No display to show it on: the user still learns what happened.
    std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
  }
}

}  // namespace

const MessageBoxService kSdlMessageBox = {ShowSdlMessageBox};

}  // namespace kumo::platform
