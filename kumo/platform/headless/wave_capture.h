// A 16-bit stereo 44100 Hz WAV file written as the headless sound output mixes; its sizes are
// filled in when it is finished.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace kumo::platform::headless {

constexpr uint32_t kCaptureRate = 44100;
constexpr int kCaptureChannels = 2;

struct WaveCapture {
  std::FILE* file = nullptr;
  uint64_t dataBytes = 0;
};

// Creates the file with its header; false (with a message) when it cannot be written.
bool StartWaveCapture(WaveCapture* capture, const char* path);
// Appends native 16-bit stereo frames; what would pass the format's 4 GiB is left out.
void AppendWaveCapture(WaveCapture* capture, const int16_t* samples, size_t frames);
// Fills in the sizes and closes the file.
void FinishWaveCapture(WaveCapture* capture);

}  // namespace kumo::platform::headless
