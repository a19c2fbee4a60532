// Decoders not written yet: they take no file.
#include "kumo/image/decoders.h"

namespace kumo {

int DecodeBmp(const StreamSource&, GraphImage*) { return -1; }
int DecodeJpeg(const StreamSource&, GraphImage*) { return -1; }
int DecodePng(const StreamSource&, GraphImage*) { return -1; }
int DecodeBgra(const StreamSource&, GraphImage*) { return -1; }
int DecodeTga(const StreamSource&, GraphImage*) { return -1; }
int DecodeDds(const StreamSource&, GraphImage*) { return -1; }

}  // namespace kumo
