// The system services that are the same on both backends: the code page, the component system's
// count and the window-class claim.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "kumo/platform/system_info.h"

namespace kumo::platform {

namespace {

int gComStarts = 0;
int gClaimFile = -1;

// A lock file per user and class name, in the user's runtime directory where there is one.
std::string ClaimPath(const char* className) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string path = runtime != nullptr && runtime[0] != '\0' ? runtime : "/tmp";
  path += "/kumo-" + std::to_string(getuid()) + "-";
  // The name may hold any byte; hex keeps the file name plain.
  for (const char* at = className; *at != '\0'; ++at) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(*at));
    path += hex;
  }
  return path + ".lock";
}

}  // namespace

int OemCodePage() { return 932; }

bool ComStart() {
  gComStarts += 1;
  return true;
}

void ComEnd() {
  if (gComStarts > 0) gComStarts -= 1;
}

bool ClaimWindowClass(const char* className) {
  ReleaseWindowClass();
  const int file = open(ClaimPath(className).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (file < 0) return true;  // nowhere to keep the claim: nothing can be refused either
  if (flock(file, LOCK_EX | LOCK_NB) != 0) {
    close(file);
    return false;
  }
  gClaimFile = file;
  return true;
}

void ReleaseWindowClass() {
  if (gClaimFile < 0) return;
  close(gClaimFile);
  gClaimFile = -1;
}

}  // namespace kumo::platform
