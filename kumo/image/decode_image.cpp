#include "kumo/image/decoders.h"

namespace kumo {

namespace {

struct NamedDecoder {
  const char* name;
  ImageDecoder decode;
};

constexpr NamedDecoder kDecoders[] = {
    {"BMP", DecodeBmp},   {"JPEG", DecodeJpeg}, {"PNG", DecodePng},
    {"BGRA", DecodeBgra}, {"TGA", DecodeTga},   {"DDS", DecodeDds},
};

}  // namespace

int DecodeImage(const StreamSource& source, GraphImage* image, const char** decoderName) {
  for (const NamedDecoder& decoder : kDecoders) {
    source.ops->seek(source.data, 0, 0);
    if (decoder.decode(source, image) == 0) {
      if (decoderName != nullptr) *decoderName = decoder.name;
      return 0;
    }
  }
  return -1;
}

}  // namespace kumo
