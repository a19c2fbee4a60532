// Fuzz target: a format block and data for the IMA ADPCM converter.
#include "tests/fuzz/fuzz_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return kumo::FuzzConversion(kumo::platform::kWaveFormatImaAdpcm, data, size);
}
