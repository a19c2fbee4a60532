// Fuzz target: one file for DecodeImage, every decoder in its turn on the same stream.
#include "tests/fuzz/fuzz_decoder.h"

namespace {

int DecodeAny(const kumo::StreamSource& source, kumo::GraphImage* image) {
  return kumo::DecodeImage(source, image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return kumo::FuzzDecoder(DecodeAny, data, size);
}
