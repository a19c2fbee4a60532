// "BGRA": the library's own raw format. A 16-byte header ("BGRA", the channel depth, width,
// height), then the pixels top line first, blue, green, red, alpha, 8 or 16 bits a channel.
#include <cstdint>
#include <cstring>

#include "kumo/image/decoder_input.h"
#include "kumo/image/decoders.h"
#include "kumo/image/graph_image.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

constexpr int kHeaderSize = 16;
constexpr uint32_t kDepth8 = 0x08080808;
constexpr uint32_t kDepth16 = 0x10101010;

// Each 16-bit channel keeps its high byte; a line is read at a time.
bool ReadWideLines(const StreamSource& source, GraphImage* image) {
  const int64_t lineBytes = int64_t{image->width} * 8;
  uint8_t* line = static_cast<uint8_t*>(TakeBlock(lineBytes, false));
  if (line == nullptr) return false;
  bool complete = true;
  for (int y = 0; y < image->height && complete; ++y) {
    complete = ReadExact(source, line, lineBytes);
    uint8_t* out = static_cast<uint8_t*>(image->pixels) + static_cast<int64_t>(y) * image->pitch;
    for (int64_t i = 0; complete && i < int64_t{image->width} * 4; ++i) out[i] = line[2 * i + 1];
  }
  TrackedFree(line);
  return complete;
}

}  // namespace

int DecodeBgra(const StreamSource& source, GraphImage* image) {
  const int length = StreamLength(source);
  uint8_t header[kHeaderSize];
  if (!ReadExact(source, header, sizeof header) || std::memcmp(header, "BGRA", 4) != 0) return -1;
  const uint32_t depth = Le32(header + 4);
  const uint32_t width = Le32(header + 8);
  const uint32_t height = Le32(header + 12);
  if (depth != kDepth8 && depth != kDepth16) return -1;
  if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return -1;
  const int64_t channelBytes = depth == kDepth8 ? 1 : 2;
  // Checked before anything is taken: the pixels must all be in the file.
  if (int64_t{width} * height > (length - kHeaderSize) / (4 * channelBytes)) return -1;

  if (CreateArgb32Image(static_cast<int>(width), static_cast<int>(height), image) != 0) return -1;
  const bool complete = depth == kDepth8
                            ? ReadExact(source, image->pixels, int64_t{image->pitch} * height)
                            : ReadWideLines(source, image);
  if (!complete) {
    ReleaseGraphImage(image);
    return -1;
  }
  return 0;
}

}  // namespace kumo
