// The body of the sound converter's fuzz targets. An input is a format block and the data after
// it: two bytes (little-endian) giving the block's size, the block, then the data. The format tag
// is set to the target's encoding. The data converts in slices of at most 2048 bytes into a room
// of one block's PCM, the last slice marked; besides the sanitizers' checks, each call must stay
// within what it was given, and data converted to its end must give exactly the estimated size.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "kumo/platform/audio_conversion.h"

namespace kumo {

inline int FuzzConversion(uint16_t formatTag, const uint8_t* data, size_t size) {
  using namespace platform;
  if (size < 2) return 0;
  const size_t formatSize = data[0] | data[1] << 8;
  if (formatSize < 2 || formatSize > size - 2) return 0;
  std::vector<uint8_t> format(data + 2, data + 2 + formatSize);
  format[0] = static_cast<uint8_t>(formatTag);
  format[1] = static_cast<uint8_t>(formatTag >> 8);
  // The data as an exact copy, so that a read past it leaves the block.
  const std::vector<uint8_t> source(data + 2 + formatSize, data + size);

  WaveFormat pcm{};
  if (!SuggestPcmFormat(format.data(), format.size(), &pcm)) return 0;
  ConversionStream* stream = OpenConversion(format.data(), format.size(), pcm);
  if (stream == nullptr) std::abort();
  const uint16_t blockAlign = ReadWaveFormat(format.data(), format.size()).blockAlign;
  std::vector<uint8_t> room(EstimatePcmSize(stream, blockAlign));
  uint64_t produced = 0;
  size_t at = 0;
  bool ok = true;
  while (ok && at < source.size()) {
    const size_t slice = std::min<size_t>(2048, source.size() - at);
    ConvertedBytes converted{};
    ok = ConvertSound(stream, source.data() + at, slice, room.data(), room.size(),
                      at + slice == source.size(), &converted);
    if (converted.sourceUsed > slice || converted.pcmProduced > room.size()) std::abort();
    if (converted.sourceUsed == 0 && converted.pcmProduced == 0) break;
    at += converted.sourceUsed;
    produced += converted.pcmProduced;
  }
  if (ok && at == source.size() && produced != EstimatePcmSize(stream, source.size())) std::abort();
  CloseConversion(stream);
  return 0;
}

}  // namespace kumo
