// Lookup tables that replace the divisions of the software blitters, built once.
#pragma once

#include <cstdint>

namespace kumo {

struct BlendTables {
  uint32_t scale[256][256];       // [p][i] = i * p / 255
  int32_t signedScale[256][511];  // [p][d + 255] = d * p / 255, truncated toward zero
  uint8_t mix6[64][64][64];       // [k][s][d] = (s * k + d * (63 - k)) / 63
};

// Builds the tables on the first call; later calls only return them.
const BlendTables& GetBlendTables();

// The signed scale entry for a difference d in -255..255.
inline int32_t SignedScale(const BlendTables& tables, int p, int d) {
  return tables.signedScale[p][d + 255];
}

}  // namespace kumo
