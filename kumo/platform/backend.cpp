#include "kumo/platform/backend.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kumo::platform {

namespace {

BackendKind ChooseBackend() {
  const char* name = std::getenv("KUMO_PLATFORM");
  if (name == nullptr || name[0] == '\0' || std::strcmp(name, "sdl") == 0) return BackendKind::Sdl;
  if (std::strcmp(name, "headless") == 0) return BackendKind::Headless;
  std::fprintf(stderr, "KUMO_PLATFORM=%s is not a backend (sdl, headless); using sdl\n", name);
  return BackendKind::Sdl;
}

}  // namespace

BackendKind ActiveBackend() {
  static const BackendKind kind = ChooseBackend();
  return kind;
}

}  // namespace kumo::platform
