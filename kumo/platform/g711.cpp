// A-law and µ-law: one byte per sample, each a sign, a 3-bit exponent and a 4-bit mantissa of a
// 13- or 14-bit sample, widened here to 16 bits. Every byte stands on its own: a block is one
// frame.
#include <array>

#include "kumo/platform/sound_codec.h"

namespace kumo::platform {

namespace {

constexpr int16_t ALawSample(uint8_t code) {
  const int value = code ^ 0x55;
  const int exponent = (value >> 4) & 7;
  const int mantissa = value & 0x0F;
  int magnitude = exponent == 0 ? (mantissa << 4) + 8 : ((mantissa << 4) + 0x108) << (exponent - 1);
  return static_cast<int16_t>((value & 0x80) != 0 ? magnitude : -magnitude);
}

constexpr int16_t MuLawSample(uint8_t code) {
  const int value = ~code & 0xFF;
  const int exponent = (value >> 4) & 7;
  const int mantissa = value & 0x0F;
  const int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
  return static_cast<int16_t>((value & 0x80) != 0 ? -magnitude : magnitude);
}

template <int16_t (*Sample)(uint8_t)>
constexpr std::array<int16_t, 256> MakeTable() {
  std::array<int16_t, 256> table{};
  for (int code = 0; code < 256; ++code) table[code] = Sample(static_cast<uint8_t>(code));
  return table;
}

constexpr std::array<int16_t, 256> kALaw = MakeTable<ALawSample>();
constexpr std::array<int16_t, 256> kMuLaw = MakeTable<MuLawSample>();

uint32_t FramesIn(const BlockCodec& codec, size_t bytes) {
  return bytes >= static_cast<size_t>(codec.channels) ? 1 : 0;
}

template <const std::array<int16_t, 256>& Table>
bool Decode(const BlockCodec& codec, const uint8_t* block, size_t bytes, int16_t* out) {
  if (FramesIn(codec, bytes) == 0) return true;
  for (int c = 0; c < codec.channels; ++c) out[c] = Table[block[c]];
  return true;
}

bool Open(const WaveFormat& format, uint16_t tag, BlockCodec* codec) {
  if (format.formatTag != tag || format.bitsPerSample != 8 || format.samplesPerSecond == 0) {
    return false;
  }
  if ((format.channels != 1 && format.channels != 2) || format.blockAlign != format.channels) {
    return false;
  }
  codec->channels = format.channels;
  codec->blockBytes = format.blockAlign;
  codec->framesPerBlock = 1;
  codec->framesIn = FramesIn;
  codec->coefficientCount = 0;
  return true;
}

}  // namespace

bool OpenALaw(const WaveFormat& format, BlockCodec* codec) {
  if (!Open(format, kWaveFormatALaw, codec)) return false;
  codec->decode = Decode<kALaw>;
  return true;
}

bool OpenMuLaw(const WaveFormat& format, BlockCodec* codec) {
  if (!Open(format, kWaveFormatMuLaw, codec)) return false;
  codec->decode = Decode<kMuLaw>;
  return true;
}

}  // namespace kumo::platform
