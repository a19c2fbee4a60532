// Fuzz target: one file for the "BGRA" decoder.
#include "tests/fuzz/fuzz_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return kumo::FuzzDecoder(kumo::DecodeBgra, data, size);
}
