// The real machine's processor, memory and operating system.
#include "kumo/platform/system_info.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kumo/platform/backend.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace kumo::platform {

namespace {

ProcessorInfo RealProcessor() {
  ProcessorInfo info{};
#if defined(__x86_64__) || defined(__i386__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(0, &a, &b, &c, &d) == 0) return info;
  info.hasCpuid = true;
  std::memcpy(info.vendor, &b, 4);
  std::memcpy(info.vendor + 4, &d, 4);
  std::memcpy(info.vendor + 8, &c, 4);
  if (__get_cpuid(1, &a, &b, &c, &d) != 0) {
    info.hasTsc = (d & (1u << 4)) != 0;
    info.hasMmx = (d & (1u << 23)) != 0;
  }
  if (__get_cpuid(0x80000000, &a, &b, &c, &d) != 0 && a >= 0x80000004) {
    unsigned* words = reinterpret_cast<unsigned*>(info.brand);
    for (unsigned leaf = 0; leaf < 3; ++leaf) {
      __get_cpuid(0x80000002 + leaf, &words[leaf * 4], &words[leaf * 4 + 1], &words[leaf * 4 + 2],
                  &words[leaf * 4 + 3]);
    }
    info.brand[48] = '\0';
  }
#endif
  return info;
}

MemoryStatus RealMemory() {
  struct sysinfo status {};
  if (sysinfo(&status) != 0) return {0, 0};
  return {uint64_t{status.totalram} * status.mem_unit, uint64_t{status.freeram} * status.mem_unit};
}

// "Linux 6.1.0-18-amd64", the build of its version text ("#1 SMP ..."), and the machine.
OsVersion RealOs() {
  OsVersion version{};
  struct utsname names {};
  if (uname(&names) != 0) {
    std::strcpy(version.name, "Linux");
    return version;
  }
  std::snprintf(version.name, sizeof version.name, "%s %s", names.sysname, names.release);
  version.build = names.version[0] == '#' ? std::atoi(names.version + 1) : 0;
  std::snprintf(version.servicePack, sizeof version.servicePack, "%s", names.machine);
  return version;
}

}  // namespace

const SystemInfoService kSdlSystemInfo = {RealProcessor, RealMemory, RealOs};

}  // namespace kumo::platform
