// The image decoders: each reads a picture from a stream into a GraphImage in the format that
// suits the file. The format is recognised by content, never by name.
#pragma once

#include "kumo/image/graph_image.h"
#include "kumo/support/streams.h"

namespace kumo {

// A decoder: 0 on success, any other value on failure (having given back all it took; the
// image's contents are then to be discarded).
using ImageDecoder = int (*)(const StreamSource& source, GraphImage* image);

int DecodeBmp(const StreamSource& source, GraphImage* image);
int DecodeJpeg(const StreamSource& source, GraphImage* image);
int DecodePng(const StreamSource& source, GraphImage* image);
int DecodeBgra(const StreamSource& source, GraphImage* image);
int DecodeTga(const StreamSource& source, GraphImage* image);
int DecodeDds(const StreamSource& source, GraphImage* image);

// Tries each decoder in turn (BMP, JPEG, PNG, BGRA, TGA, DDS), each from position 0: 0 when one
// succeeded, -1 when none did. `decoderName`, when given, receives the name of the one that did.
int DecodeImage(const StreamSource& source, GraphImage* image, const char** decoderName = nullptr);

}  // namespace kumo
