// The keyboard scan codes by which the library names keys (0 to 255), and their usual names.
#pragma once

#include <cstdint>

namespace kumo::platform {

struct ScanCodeName {
  const char* name;
  uint8_t code;
};

// Every named key, upper-case names ("ESCAPE", "A", "0", "LEFT", "F12", ...).
extern const ScanCodeName kScanCodeNames[];
extern const int kScanCodeNameCount;

// The scan code of a key name (case as in the table), or -1.
int ScanCodeByName(const char* name);

}  // namespace kumo::platform
