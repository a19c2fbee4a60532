// Finding the archive file, if any, that holds a path: every directory on the way may be stored
// as an archive named like it, with the archive extension.
#pragma once

#include <cstddef>

namespace kumo {

struct ArchiveLookup {
  int archive;         // the archive's index, or -1 for a disk file
  const char* member;  // with an archive: the path inside it (a part of the normalised path)
};

// Looks up the archive for a normalised path (NormalizePath). The archive found last is tried
// first; otherwise `openArchive` is asked for each candidate "DIRECTORY.KUMOA" from the path's
// start on, until one opens.
ArchiveLookup LookUpArchive(const char* normalized, int (*openArchive)(const char* archivePath));

// Forgets the archive found last (the archive table is being cleared).
void ForgetFoundArchive();

}  // namespace kumo
