// The absolute, upper-cased form of a path, with "\" as its separator: the form in which the
// archive lookup compares paths and names archive files.
#pragma once

#include <cstddef>

namespace kumo {

// Size of the buffers paths are normalised into.
constexpr size_t kNormalizedPathSize = 520;

// Writes the normal form of `path` into `out` (`outSize` bytes): 0, or -1 when the current
// directory cannot be read or the result does not fit.
int NormalizePath(const char* path, char* out, size_t outSize);

}  // namespace kumo
