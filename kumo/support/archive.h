// The archive table: archive files (".KUMOA") that stand in for the directories they are named
// after, so that a file may be read from inside one.
#pragma once

namespace kumo {

// The extension an archive file adds to its directory's name.
constexpr char kArchiveExtension[] = "KUMOA";

// Opens the archive file at `archivePath`, or takes another reference to it when it is open
// already: its index, or -1 when there is no such archive.
int ArchiveOpen(const char* archivePath);

// Gives back a reference taken by ArchiveOpen.
void ArchiveRelease(int archive);

// The reading state of one member of an open archive.
struct ArchiveMember;

// Opens the member at `memberPath` inside `archive`, or none.
ArchiveMember* ArchiveMemberOpen(int archive, const char* memberPath, int asyncFlag);

}  // namespace kumo
