// MPEG audio Layer III through libmpg123 in its feed mode. Frames are found here and fed whole,
// one at a time, with libmpg123's read-ahead off, so that each frame's PCM comes out as soon as
// it goes in: a frame is taken only while its PCM is sure to fit, and nothing is held back when
// the source runs out. libmpg123 keeps the bit reservoir between frames and leaves out the
// encoder's delay and padding where the stream's first frame tells them.
#include <mpg123.h>

#include <cstring>

#include "kumo/platform/sound_codec.h"

namespace kumo::platform {

namespace {

// kbit/s by bitrate index: MPEG-1, and MPEG-2 and 2.5 (index 0, free format, is not decoded).
constexpr int kBitrates[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};
constexpr uint32_t kMpeg1Rates[3] = {44100, 48000, 32000};

struct Frame {
  uint32_t bytes;
  uint32_t samples;  // per channel
};

// The Layer III frame whose header is at `at` (4 bytes); false when none starts there.
bool ParseFrame(const uint8_t* at, Frame* frame) {
  if (at[0] != 0xFF || (at[1] & 0xE0) != 0xE0) return false;
  const int version = (at[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  const int layer = (at[1] >> 1) & 3;    // 1: Layer III
  const int bitrateIndex = at[2] >> 4;
  const int rateIndex = (at[2] >> 2) & 3;
  if (version == 1 || layer != 1 || rateIndex == 3) return false;
  const int bitrate = kBitrates[version == 3 ? 0 : 1][bitrateIndex];
  if (bitrate == 0) return false;
  const uint32_t rate = kMpeg1Rates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
  const uint32_t padding = (at[2] >> 1) & 1;
  if (version == 3) {
    *frame = {144000u * bitrate / rate + padding, 1152};
  } else {
    *frame = {72000u * bitrate / rate + padding, 576};
  }
  return true;
}

}  // namespace

bool IsMpegLayer3Format(const WaveFormat& format) {
  if (format.formatTag != kWaveFormatMpegLayer3) return false;
  if (format.channels != 1 && format.channels != 2) return false;
  for (const uint32_t base : kMpeg1Rates) {
    const uint32_t rate = format.samplesPerSecond;
    if (rate == base || rate == base / 2 || rate == base / 4) return true;
  }
  return false;
}

struct MpegDecoder {
  mpg123_handle* handle;
  int channels;  // of the PCM
};

bool OpenMpegDecoder(const WaveFormat& pcm, MpegDecoder** decoder) {
  int error = MPG123_OK;
  mpg123_handle* handle = mpg123_new(nullptr, &error);
  if (handle == nullptr) return false;
  // Only the PCM's own rate, channels and sample type: frames of other channel counts are mixed
  // down or doubled, those of other rates are refused rather than resampled.
  const long flags = MPG123_QUIET | MPG123_GAPLESS | MPG123_NO_READAHEAD;
  const int channels = pcm.channels == 1 ? MPG123_MONO : MPG123_STEREO;
  if (mpg123_param(handle, MPG123_FLAGS, flags, 0) != MPG123_OK ||
      mpg123_format_none(handle) != MPG123_OK ||
      mpg123_format(handle, static_cast<long>(pcm.samplesPerSecond), channels,
                    MPG123_ENC_SIGNED_16) != MPG123_OK ||
      mpg123_open_feed(handle) != MPG123_OK) {
    mpg123_delete(handle);
    return false;
  }
  *decoder = new MpegDecoder{handle, pcm.channels};
  return true;
}

void CloseMpegDecoder(MpegDecoder* decoder) {
  mpg123_delete(decoder->handle);
  delete decoder;
}

bool ConvertMpeg(MpegDecoder* decoder, const uint8_t* source, size_t sourceSize, uint8_t* pcm,
                 size_t pcmSize, bool last, size_t* sourceUsed, size_t* pcmProduced) {
  size_t used = 0, produced = 0;
  bool ok = true;
  while (ok && used < sourceSize) {
    Frame frame{};
    if (sourceSize - used < 4 || !ParseFrame(source + used, &frame)) {
      // Bytes between frames are passed over; a last piece too short for a header goes too.
      if (sourceSize - used < 4 && !last) break;
      ++used;
      continue;
    }
    if (frame.bytes > sourceSize - used) {
      if (last) used = sourceSize;
      break;
    }
    if (pcmSize - produced < size_t{frame.samples} * decoder->channels * 2) break;
    if (mpg123_feed(decoder->handle, source + used, frame.bytes) != MPG123_OK) {
      ok = false;
      break;
    }
    used += frame.bytes;
    // A frame gives one piece of PCM, none (the stream's information frame, or the encoder's
    // delay), or first the news of the format.
    for (;;) {
      off_t number = 0;
      unsigned char* audio = nullptr;
      size_t bytes = 0;
      const int result = mpg123_decode_frame(decoder->handle, &number, &audio, &bytes);
      if (result == MPG123_NEED_MORE) break;
      if (result == MPG123_NEW_FORMAT) continue;
      if (result != MPG123_OK || bytes > pcmSize - produced) {
        ok = false;
        break;
      }
      std::memcpy(pcm + produced, audio, bytes);
      produced += bytes;
    }
  }
  *sourceUsed = used;
  *pcmProduced = produced;
  return ok;
}

}  // namespace kumo::platform
