// The blitters' lookup tables: about a megabyte, so built once in static storage.
#include "kumo/render/blend_tables.h"

namespace kumo {
namespace {

BlendTables gTables;

bool BuildTables() {
  for (int p = 0; p < 256; ++p) {
    for (int i = 0; i < 256; ++i) gTables.scale[p][i] = static_cast<uint32_t>(i * p / 255);
    // C++ division truncates toward zero, as the signed table wants.
    for (int d = -255; d <= 255; ++d) gTables.signedScale[p][d + 255] = d * p / 255;
  }
  for (int k = 0; k < 64; ++k)
    for (int s = 0; s < 64; ++s)
      for (int d = 0; d < 64; ++d)
        gTables.mix6[k][s][d] = static_cast<uint8_t>((s * k + d * (63 - k)) / 63);
  return true;
}

}  // namespace

const BlendTables& GetBlendTables() {
  static const bool built = BuildTables();
  (void)built;
  return gTables;
}

}  // namespace kumo
