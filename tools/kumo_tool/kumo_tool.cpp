// kumo-tool: which decoder takes an image file and what it makes of it, or the decoded picture
// written out as a PNG, using only tracked memory, the file layer and the decoders.
//
//   kumo-tool info FILE
//   kumo-tool decode FILE OUT.png
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "kumo/image/decoders.h"
#include "kumo/image/graph_image.h"
#include "kumo/support/file_access.h"
#include "kumo/support/streams.h"
#include "tools/kumo_tool/png_writer.h"
#include "tools/kumo_tool/rgba_image.h"

namespace {

enum class Decoded { Yes, NoFile, NoDecoder };

// As the loader opens a picture: a direct disk file (or archive member) through the file table.
Decoded DecodeFile(const std::string& path, kumo::GraphImage* image, const char** decoder) {
  const int handle = kumo::Files().open(path.c_str(), 0, 1, 0);
  if (handle == 0) return Decoded::NoFile;
  const kumo::StreamSource source = {&kumo::GetFileStreamOps(), kumo::FileStreamData(handle)};
  const int result = kumo::DecodeImage(source, image, decoder);
  source.ops->close(source.data);
  return result == 0 ? Decoded::Yes : Decoded::NoDecoder;
}

int Fail(const std::string& reason) {
  std::fprintf(stderr, "kumo-tool: %s\n", reason.c_str());
  return 1;
}

int FailToDecode(Decoded decoded, const std::string& path) {
  return Fail(decoded == Decoded::NoFile ? "cannot open " + path : "no decoder takes " + path);
}

int Info(const std::string& path) {
  kumo::GraphImage image = {};
  const char* decoder = nullptr;
  const Decoded decoded = DecodeFile(path, &image, &decoder);
  if (decoded != Decoded::Yes) return FailToDecode(decoded, path);
  const ColorFormat& f = image.format;
  std::printf("decoder: %s\nwidth: %d\nheight: %d\npitch: %d\n", decoder, image.width, image.height,
              image.pitch);
  std::printf(
      "format: %d bits per pixel (%d byte%s); red 0x%08x green 0x%08x blue 0x%08x alpha "
      "0x%08x pad 0x%08x\n",
      f.bitsPerPixel, f.bytesPerPixel, f.bytesPerPixel == 1 ? "" : "s", f.redMask, f.greenMask,
      f.blueMask, f.alphaMask, f.padMask);
  kumo::ReleaseGraphImage(&image);
  return 0;
}

int Decode(const std::string& path, const char* out) {
  kumo::GraphImage image = {};
  const char* decoder = nullptr;
  const Decoded decoded = DecodeFile(path, &image, &decoder);
  if (decoded != Decoded::Yes) return FailToDecode(decoded, path);
  // The loader takes the alpha file only when it decodes; otherwise the picture stands alone.
  const std::string alphaPath = kumo_tool::AlphaFilePath(path);
  kumo::GraphImage alpha = {};
  const bool hasAlpha = DecodeFile(alphaPath, &alpha, nullptr) == Decoded::Yes;

  std::vector<uint8_t> rgba;
  const bool merged = kumo_tool::ToRgba(image, hasAlpha ? &alpha : nullptr, &rgba);
  const int width = image.width;
  const int height = image.height;
  kumo::ReleaseGraphImage(&image);
  kumo::ReleaseGraphImage(&alpha);
  if (!merged) return Fail(alphaPath + " differs in size from " + path);
  if (!kumo_tool::WriteRgbaPng(out, rgba.data(), width, height)) {
    return Fail(std::string("cannot write ") + out);
  }
  return 0;
}

int Usage() {
  std::fprintf(stderr, "usage: kumo-tool info FILE\n       kumo-tool decode FILE OUT.png\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  kumo::FileAccessStart();
  if (argc == 3 && std::strcmp(argv[1], "info") == 0) return Info(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "decode") == 0) return Decode(argv[2], argv[3]);
  return Usage();
}
