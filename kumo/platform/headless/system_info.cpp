// The headless backend's machine: fixed, so that runs log the same lines everywhere.
#include "kumo/platform/system_info.h"

#include <cstring>

#include "kumo/platform/backend.h"

namespace kumo::platform {

namespace {

ProcessorInfo HeadlessProcessor() {
  ProcessorInfo info{};
  info.hasCpuid = true;
  std::memcpy(info.vendor, "KumoHeadless", 13);
  info.hasTsc = true;
  info.hasMmx = true;
  std::strcpy(info.brand, "Kumo headless processor");
  return info;
}

MemoryStatus HeadlessMemory() { return {uint64_t{1} << 30, uint64_t{1} << 29}; }

OsVersion HeadlessOs() {
  OsVersion version{};
  std::strcpy(version.name, "Kumo headless");
  version.build = 1;
  return version;
}

}  // namespace

const SystemInfoService kHeadlessSystemInfo = {HeadlessProcessor, HeadlessMemory, HeadlessOs};

}  // namespace kumo::platform
