// PNG through libpng: a read callback over the stream, the library's own long jump for errors,
// and libpng's memory taken from tracked memory like every other block of ours.
#include <png.h>

#include <climits>
#include <csetjmp>
#include <cstdint>
#include <cstring>

#include "kumo/core/bodies.h"
#include "kumo/image/color_format.h"
#include "kumo/image/decoders.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

// The source name this reader's blocks carry in the tracker (empty, as every caller's is).
constexpr char kPngBlockName[] = "";

// A decoded image larger than this is refused before anything is allocated for it.
constexpr uint64_t kMaxImageBytes = uint64_t{1} << 30;

// Deflate cannot turn one byte into more than 1032, so a header whose pixels could not fit in
// the bytes left is a lie; refusing it saves allocating for pixels that never come.
constexpr uint64_t kMaxInflateRatio = 1032;

struct PngRead {
  const StreamSource* source;
  int remaining;  // bytes of the stream not yet read
  png_structp png;
  png_infop info;
  uint8_t* pixels;  // the output block, tracked
  png_bytep* rows;  // one pointer per line into pixels, tracked
};

png_voidp TakeBlock(png_structp, png_alloc_size_t size) {
  if (size > static_cast<png_alloc_size_t>(INT_MAX) - kTrackedHeaderSize) return nullptr;
  return TrackedAlloc(static_cast<int>(size), kPngBlockName, 0);
}

void GiveBlock(png_structp, png_voidp block) { TrackedFree(block); }

// Decoders do not log: a failure only ends this reader, so that the next decoder is tried.
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

void ReadFromStream(png_structp png, png_bytep destination, size_t length) {
  PngRead* read = static_cast<PngRead*>(png_get_io_ptr(png));
  if (length > static_cast<size_t>(read->remaining)) png_error(png, "Read Error");
  const int count = static_cast<int>(length);
  const StreamSource& source = *read->source;
  if (source.ops->read(destination, 1, count, source.data) != count) png_error(png, "Read Error");
  read->remaining -= count;
}

int StreamLength(const StreamSource& source) {
  const int position = source.ops->tell(source.data);
  source.ops->seek(source.data, 0, 2);
  const int end = source.ops->tell(source.data);
  source.ops->seek(source.data, position, 0);
  return end > position ? end - position : 0;
}

// The bytes of a 16-bit pixel are grey then alpha: red, green and blue all read the grey byte,
// and the alpha byte is padding.
void SetGreyWithAlpha(ColorFormat* format) {
  std::memset(format, 0, sizeof *format);
  BuildColorFormatBody(format, 16, 0xFF, 0xFF, 0xFF, 0);
}

// Everything that may long-jump. The blocks it takes hang from `read`, which outlives the jump,
// so that the caller gives them back on either path.
int ReadPng(PngRead* read, GraphImage* image) {
  png_structp png = read->png;
  png_infop info = read->info;
  if (setjmp(png_jmpbuf(png)) != 0) return -1;

  png_set_read_fn(png, read, ReadFromStream);
  png_set_sig_bytes(png, 0);
  png_read_info(png, info);
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bitDepth = 0;
  int colorType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);

  // Every line, interlaced or not, holds at least its packed pixels and a filter byte.
  const uint64_t leastLine =
      uint64_t{width} * png_get_bit_depth(png, info) * png_get_channels(png, info) / 8 + 1;
  if (height > kMaxInflateRatio * static_cast<uint64_t>(read->remaining) / leastLine) return -1;

  png_set_strip_16(png);
  png_set_packing(png);
  png_set_packswap(png);
  bool expanded = false;
  if ((colorType == PNG_COLOR_TYPE_GRAY && bitDepth <= 8) ||
      png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
    png_set_expand(png);
    expanded = true;
  }
  png_set_bgr(png);
  // libpng 1.6 wants interlace handling asked for before the update; the older series did this
  // inside png_read_image.
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  const uint64_t rowBytes = png_get_rowbytes(png, info);
  const int channels = png_get_channels(png, info);
  if (height == 0 || rowBytes == 0 || rowBytes + sizeof(png_bytep) > kMaxImageBytes / height) {
    return -1;
  }

  read->pixels =
      static_cast<uint8_t*>(TrackedAlloc(static_cast<int>(rowBytes * height), kPngBlockName, 0));
  read->rows = static_cast<png_bytep*>(
      TrackedAlloc(static_cast<int>(sizeof(png_bytep) * height), kPngBlockName, 0));
  if (read->pixels == nullptr || read->rows == nullptr) return -1;
  for (png_uint_32 y = 0; y < height; ++y) read->rows[y] = read->pixels + rowBytes * y;
  // Straight into the output block: a libpng block copied row by row would hold the same bytes.
  png_read_image(png, read->rows);
  png_read_end(png, nullptr);

  std::memset(&image->format, 0, sizeof image->format);
  if (colorType == PNG_COLOR_TYPE_PALETTE && !expanded) {
    SetIndexed8(&image->format);
    png_colorp palette = nullptr;
    int entries = 0;
    png_get_PLTE(png, info, &palette, &entries);
    for (int i = 0; i < entries && i < 256; ++i) {
      image->format.palette[i][0] = palette[i].blue;
      image->format.palette[i][1] = palette[i].green;
      image->format.palette[i][2] = palette[i].red;
    }
  } else if (colorType != PNG_COLOR_TYPE_GRAY && colorType != PNG_COLOR_TYPE_GRAY_ALPHA) {
    if (channels == 4) {
      SetArgb32(&image->format);
    } else {
      SetBgr24(&image->format);
    }
  } else if (channels == 1) {
    SetGray8(&image->format);
  } else {
    SetGreyWithAlpha(&image->format);
  }
  image->width = static_cast<int>(width);
  image->height = static_cast<int>(height);
  image->pitch = static_cast<int>(rowBytes);
  image->pixels = read->pixels;
  return 0;
}

}  // namespace

int DecodePng(const StreamSource& source, GraphImage* image) {
  PngRead read = {};
  read.source = &source;
  read.remaining = StreamLength(source);
  read.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning, nullptr,
                                      TakeBlock, GiveBlock);
  if (read.png == nullptr) return -1;
  read.info = png_create_info_struct(read.png);
  const int result = read.info == nullptr ? -1 : ReadPng(&read, image);
  TrackedFree(read.rows);
  if (result != 0) TrackedFree(read.pixels);
  png_destroy_read_struct(&read.png, &read.info, nullptr);
  return result;
}

}  // namespace kumo
