// What the machine is: processor, memory, operating system; the component system's start and
// end; the one-copy-at-a-time claim on a window class.
#pragma once

#include <cstdint>

namespace kumo::platform {

struct ProcessorInfo {
  bool hasCpuid;
  char vendor[13];  // twelve characters
  bool hasTsc;
  bool hasMmx;
  char brand[49];  // empty when the processor gives none
};
ProcessorInfo ReadProcessorInfo();

struct MemoryStatus {
  uint64_t totalBytes;
  uint64_t freeBytes;
};
MemoryStatus ReadMemoryStatus();

struct OsVersion {
  char name[160];         // the system's name and release
  int build;              // its build number
  char servicePack[128];  // further version text
};
OsVersion ReadOsVersion();

// The code page of the system's text: 932 here (Japanese Shift-JIS).
int OemCodePage();

// The component system, started and ended in pairs (a count); true when started.
bool ComStart();
void ComEnd();

// Claims the window class `className` for this process, across processes: false while another
// process holds it. Held until released or the process ends.
bool ClaimWindowClass(const char* className);
void ReleaseWindowClass();

}  // namespace kumo::platform
