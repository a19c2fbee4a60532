#include "kumo/platform/wave_format.h"

#include "kumo/platform/little_endian.h"

namespace kumo::platform {

WaveFormat ReadWaveFormat(const uint8_t* bytes, size_t size) {
  WaveFormat format{};
  format.formatTag = Le16(bytes);
  format.channels = Le16(bytes + 2);
  format.samplesPerSecond = Le32(bytes + 4);
  format.averageBytesPerSecond = Le32(bytes + 8);
  format.blockAlign = Le16(bytes + 12);
  format.bitsPerSample = Le16(bytes + 14);
  format.extraSize = size >= kWaveFormatSize ? Le16(bytes + 16) : 0;
  return format;
}

void WriteWaveFormat(const WaveFormat& format, uint8_t bytes[kWaveFormatSize]) {
  PutLe16(bytes, format.formatTag);
  PutLe16(bytes + 2, format.channels);
  PutLe32(bytes + 4, format.samplesPerSecond);
  PutLe32(bytes + 8, format.averageBytesPerSecond);
  PutLe16(bytes + 12, format.blockAlign);
  PutLe16(bytes + 14, format.bitsPerSample);
  PutLe16(bytes + 16, format.extraSize);
}

bool IsPlainPcm(const WaveFormat& format) {
  if (format.formatTag != kWaveFormatPcm) return false;
  if (format.channels != 1 && format.channels != 2) return false;
  if (format.bitsPerSample != 8 && format.bitsPerSample != 16) return false;
  return format.samplesPerSecond > 0 &&
         format.blockAlign == format.channels * format.bitsPerSample / 8 &&
         format.averageBytesPerSecond == format.samplesPerSecond * format.blockAlign;
}

}  // namespace kumo::platform
