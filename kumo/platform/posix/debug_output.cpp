#include "kumo/platform/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kumo/platform/text_encoding.h"

namespace kumo::platform {

namespace {

bool DebugOutputWanted() {
  const char* setting = std::getenv("KUMO_DEBUG_OUTPUT");
  return setting != nullptr && std::strcmp(setting, "1") == 0;
}

}  // namespace

void DebugOutput(const char* text, size_t length) {
  static const bool wanted = DebugOutputWanted();
  if (!wanted) return;
  const std::string utf8 = ShiftJisToUtf8(text, length);
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
}

}  // namespace kumo::platform
