#include "kumo/support/archive_lookup.h"

#include <cstring>
#include <string>

#include "kumo/support/archive.h"
#include "kumo/support/strings.h"

namespace kumo {

namespace {

struct FoundArchive {
  std::string directory;  // normalised path of the directory the archive stands for
  int archive = -1;
};

FoundArchive gFound;

bool IsSeparator(char byte) { return byte == '\\' || byte == '/'; }

}  // namespace

ArchiveLookup LookUpArchive(const char* normalized, int (*openArchive)(const char* archivePath)) {
  const size_t known = gFound.directory.size();
  if (gFound.archive >= 0 && std::strncmp(normalized, gFound.directory.c_str(), known) == 0 &&
      IsSeparator(normalized[known])) {
    return {gFound.archive, normalized + known + 1};
  }

  // A leading "\" or "\\" (the root, a network path) belongs to the first component.
  const char* at = normalized;
  while (IsSeparator(*at) && at - normalized < 2) ++at;
  for (;;) {
    const char* end = at;
    while (*end != '\0' && !IsSeparator(*end)) end += IsDoubleByteAt(end, 0) ? 2 : 1;
    // The last component names the file itself; an empty one ends the search.
    if (*end == '\0' || end == at) break;
    const std::string directory(normalized, static_cast<size_t>(end - normalized));
    const std::string candidate = directory + "." + kArchiveExtension;
    const int archive = openArchive(candidate.c_str());
    if (archive >= 0) {
      gFound = {directory, archive};
      return {archive, end + 1};
    }
    at = end + 1;
  }
  return {-1, nullptr};
}

void ForgetFoundArchive() { gFound = {}; }

}  // namespace kumo
