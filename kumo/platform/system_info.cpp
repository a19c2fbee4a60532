#include "kumo/platform/system_info.h"

#include "kumo/platform/backend.h"

namespace kumo::platform {

namespace {

const SystemInfoService& Service() {
  static const SystemInfoService& service = Choose(kSdlSystemInfo, kHeadlessSystemInfo);
  return service;
}

}  // namespace

ProcessorInfo ReadProcessorInfo() { return Service().processor(); }
MemoryStatus ReadMemoryStatus() { return Service().memory(); }
OsVersion ReadOsVersion() { return Service().os(); }

}  // namespace kumo::platform
