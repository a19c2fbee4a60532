// JPEG through the IJG 6b interface: a source manager that refills from the stream 4096 bytes at
// a time, and an error exit that jumps back into the decoder.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "kumo/image/color_format.h"
#include "kumo/image/decoders.h"
#include "kumo/support/tracked_memory.h"

namespace kumo {

namespace {

constexpr int kRefillBytes = 4096;

// A decoded image larger than this is refused before anything is allocated for it; libjpeg's
// own working memory (whole-image coefficients of a progressive file) is held to the same.
constexpr uint64_t kMaxImageBytes = uint64_t{1} << 30;

struct JpegError {
  jpeg_error_mgr manager;  // first, so that the library's pointer is also ours
  std::jmp_buf jump;
};

struct JpegSource {
  jpeg_source_mgr manager;  // first, as above
  const StreamSource* stream;
  int remaining;  // bytes of the stream not yet read
  bool readAny;
  JOCTET buffer[kRefillBytes];
};

struct JpegRead {
  jpeg_decompress_struct info;
  JpegError error;
  JpegSource source;
  uint8_t* pixels;  // the output block, tracked
};

void ErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// Decoders do not log, and warnings (corrupt or truncated data) leave the decoding to go on.
void OutputMessage(j_common_ptr) {}

JpegSource* SourceOf(j_decompress_ptr info) { return reinterpret_cast<JpegSource*>(info->src); }

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
  JpegSource* source = SourceOf(info);
  const int want = source->remaining < kRefillBytes ? source->remaining : kRefillBytes;
  int got = 0;
  if (want > 0) {
    got = source->stream->ops->read(source->buffer, 1, want, source->stream->data);
    if (got < 0 || got > want) got = 0;
  }
  if (got > 0) {
    source->remaining -= got;
    source->readAny = true;
  } else {
    if (!source->readAny) ERREXIT(info, JERR_INPUT_EMPTY);
    WARNMS(info, JWRN_JPEG_EOF);
    // An end-of-image marker lets the library finish what it has.
    source->buffer[0] = 0xFF;
    source->buffer[1] = JPEG_EOI;
    got = 2;
  }
  source->manager.next_input_byte = source->buffer;
  source->manager.bytes_in_buffer = static_cast<size_t>(got);
  return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* manager = info->src;
  while (static_cast<size_t>(count) > manager->bytes_in_buffer) {
    count -= static_cast<long>(manager->bytes_in_buffer);
    FillInputBuffer(info);
  }
  manager->next_input_byte += count;
  manager->bytes_in_buffer -= static_cast<size_t>(count);
}

int StreamLength(const StreamSource& source) {
  const int position = source.ops->tell(source.data);
  source.ops->seek(source.data, 0, 2);
  const int end = source.ops->tell(source.data);
  source.ops->seek(source.data, position, 0);
  return end > position ? end - position : 0;
}

// Everything that may jump out through the error exit. The blocks it takes hang from `read`,
// which outlives the jump, so that the caller gives them back on either path.
int ReadJpeg(JpegRead* read, GraphImage* image) {
  if (setjmp(read->error.jump) != 0) return -1;
  j_decompress_ptr info = &read->info;
  jpeg_create_decompress(info);
  info->mem->max_memory_to_use = static_cast<long>(kMaxImageBytes);

  JpegSource* source = &read->source;
  source->remaining = StreamLength(*source->stream);
  source->manager.init_source = InitSource;
  source->manager.fill_input_buffer = FillInputBuffer;
  source->manager.skip_input_data = SkipInputData;
  source->manager.resync_to_restart = jpeg_resync_to_restart;
  source->manager.term_source = TermSource;
  info->src = &source->manager;

  jpeg_read_header(info, TRUE);
  jpeg_calc_output_dimensions(info);
  const int components = info->output_components;
  const uint64_t pitch = uint64_t{info->output_width} * components;
  const uint64_t height = info->output_height;
  if ((components != 1 && components != 3) || pitch == 0 || height == 0 ||
      pitch > kMaxImageBytes / height) {
    return -1;
  }

  jpeg_start_decompress(info);
  read->pixels = static_cast<uint8_t*>(TrackedAlloc(static_cast<int>(pitch * height), "", 0));
  if (read->pixels == nullptr) return -1;
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = read->pixels + pitch * info->output_scanline;
    if (jpeg_read_scanlines(info, &row, 1) != 1) return -1;
    if (components == 3) {
      for (uint64_t x = 0; x < pitch; x += 3) {
        const JSAMPLE red = row[x];
        row[x] = row[x + 2];
        row[x + 2] = red;
      }
    }
  }
  jpeg_finish_decompress(info);

  std::memset(&image->format, 0, sizeof image->format);
  if (components == 1) {
    SetGray8(&image->format);
  } else {
    SetBgr24(&image->format);
  }
  image->width = static_cast<int>(info->output_width);
  image->height = static_cast<int>(height);
  image->pitch = static_cast<int>(pitch);
  image->pixels = read->pixels;
  return 0;
}

}  // namespace

int DecodeJpeg(const StreamSource& source, GraphImage* image) {
  JpegRead read = {};
  read.info.err = jpeg_std_error(&read.error.manager);
  read.error.manager.error_exit = ErrorExit;
  read.error.manager.output_message = OutputMessage;
  read.source.stream = &source;
  const int result = ReadJpeg(&read, image);
  // Safe also when the decompressor was never made: the library checks its memory manager.
  jpeg_destroy_decompress(&read.info);
  if (result != 0) TrackedFree(read.pixels);
  return result;
}

}  // namespace kumo
