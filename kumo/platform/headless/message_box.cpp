#include <cstdio>
#include <string>

#include "kumo/platform/backend.h"
#include "kumo/platform/text_encoding.h"

namespace kumo::platform {

namespace {

// Nobody is there to press OK: the box becomes a line on standard error and returns at once.
void ShowHeadlessMessageBox(const char* caption, const char* text) {
  std::fprintf(stderr, "[message box] %s: %s\n", ShiftJisToUtf8(caption).c_str(),
               ShiftJisToUtf8(text).c_str());
}

}  // namespace

const MessageBoxService kHeadlessMessageBox = {ShowHeadlessMessageBox};

}  // namespace kumo::platform
