// A decoded image and its alpha image turned into 8-bit RGBA rows, with the channel scaling and
// the choice of alpha that the library uses when it loads a picture into a graphic.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kumo/image/graph_image.h"

namespace kumo_tool {

// The alpha file the loader tries for `path`: "_a" before the last ".", or at the end when there
// is no ".".
std::string AlphaFilePath(const std::string& path);

// Width x height pixels of red, green, blue, alpha, top line first. The image's own alpha wins;
// without one, the alpha image's red channel gives the alpha; without that, it is opaque. False
// when the alpha image has another size.
bool ToRgba(const kumo::GraphImage& image, const kumo::GraphImage* alpha,
            std::vector<uint8_t>* rgba);

}  // namespace kumo_tool
