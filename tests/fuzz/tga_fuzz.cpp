// Fuzz target: one file for the TGA decoder.
#include "tests/fuzz/fuzz_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return kumo::FuzzDecoder(kumo::DecodeTga, data, size);
}
