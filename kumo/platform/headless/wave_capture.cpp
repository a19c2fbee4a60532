#include "kumo/platform/headless/wave_capture.h"

#include <algorithm>

#include "kumo/platform/little_endian.h"
#include "kumo/platform/wave_format.h"

namespace kumo::platform::headless {

namespace {

constexpr size_t kHeaderBytes = 44;
// The RIFF size counts everything after its own field.
constexpr uint64_t kMostDataBytes = 0xFFFFFFFFu - (kHeaderBytes - 8);

void MakeHeader(uint8_t header[kHeaderBytes], uint32_t dataBytes) {
  const WaveFormat format = {kWaveFormatPcm,
                             kCaptureChannels,
                             kCaptureRate,
                             kCaptureRate * kCaptureChannels * 2,
                             kCaptureChannels * 2,
                             16,
                             0};
  std::copy_n("RIFF", 4, header);
  PutLe32(header + 4, static_cast<uint32_t>(kHeaderBytes - 8 + dataBytes));
  std::copy_n("WAVEfmt ", 8, header + 8);
  PutLe32(header + 16, 16);
  uint8_t layout[kWaveFormatSize];
  WriteWaveFormat(format, layout);
  std::copy_n(layout, 16, header + 20);
  std::copy_n("data", 4, header + 36);
  PutLe32(header + 40, dataBytes);
}

}  // namespace

bool StartWaveCapture(WaveCapture* capture, const char* path) {
  capture->file = std::fopen(path, "wb");
  capture->dataBytes = 0;
  uint8_t header[kHeaderBytes];
  MakeHeader(header, 0);
  if (capture->file == nullptr ||
      std::fwrite(header, 1, kHeaderBytes, capture->file) != kHeaderBytes) {
    std::fprintf(stderr, "KUMO_AUDIO_OUT: cannot write %s\n", path);
    if (capture->file != nullptr) std::fclose(capture->file);
    capture->file = nullptr;
    return false;
  }
  return true;
}

void AppendWaveCapture(WaveCapture* capture, const int16_t* samples, size_t frames) {
  if (capture->file == nullptr) return;
  constexpr size_t kFrameBytes = kCaptureChannels * 2;
  frames = std::min<uint64_t>(frames, (kMostDataBytes - capture->dataBytes) / kFrameBytes);
  uint8_t bytes[1024 * kFrameBytes];
  for (size_t done = 0; done < frames;) {
    const size_t chunk = std::min(frames - done, sizeof bytes / kFrameBytes);
    for (size_t i = 0; i < chunk * kCaptureChannels; ++i) {
      PutLe16(bytes + 2 * i, static_cast<uint16_t>(samples[done * kCaptureChannels + i]));
    }
    std::fwrite(bytes, kFrameBytes, chunk, capture->file);
    done += chunk;
  }
  capture->dataBytes += frames * kFrameBytes;
}

void FinishWaveCapture(WaveCapture* capture) {
  if (capture->file == nullptr) return;
  uint8_t header[kHeaderBytes];
  MakeHeader(header, static_cast<uint32_t>(capture->dataBytes));
  std::fseek(capture->file, 0, SEEK_SET);
  std::fwrite(header, 1, kHeaderBytes, capture->file);
  std::fclose(capture->file);
  capture->file = nullptr;
}

}  // namespace kumo::platform::headless
