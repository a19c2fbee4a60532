// The conversion streams: the format block read and checked, the codec chosen by the format tag,
// and the slices converted block by block (the block codecs) or frame by frame (MPEG).
#include "kumo/platform/audio_conversion.h"

#include <algorithm>
#include <vector>

#include "kumo/platform/sound_codec.h"

namespace kumo::platform {

struct ConversionStream {
  WaveFormat source;
  WaveFormat pcm;
  BlockCodec block;             // every encoding but MPEG
  MpegDecoder* mpeg;            // MPEG audio
  std::vector<int16_t> frames;  // one block's PCM
};

namespace {

// The most PCM frames one MPEG frame makes.
constexpr uint64_t kMpegFrameSamples = 1152;

// The format at the start of a format block, with its extra bytes; false when the block is too
// short for either.
bool ReadSource(const uint8_t* source, size_t size, WaveFormat* format, const uint8_t** extra) {
  if (source == nullptr || size < 16) return false;
  *format = ReadWaveFormat(source, size);
  *extra = source + std::min(size, kWaveFormatSize);
  return format->extraSize <= size - std::min(size, kWaveFormatSize);
}

WaveFormat PcmFor(const WaveFormat& source) {
  const uint16_t blockAlign = static_cast<uint16_t>(source.channels * 2);
  return {kWaveFormatPcm,
          source.channels,
          source.samplesPerSecond,
          source.samplesPerSecond * blockAlign,
          blockAlign,
          16,
          0};
}

bool SamePcm(const WaveFormat& a, const WaveFormat& b) {
  return a.formatTag == b.formatTag && a.channels == b.channels &&
         a.samplesPerSecond == b.samplesPerSecond && a.blockAlign == b.blockAlign &&
         a.bitsPerSample == b.bitsPerSample;
}

bool OpenBlockCodec(const WaveFormat& format, const uint8_t* extra, BlockCodec* codec) {
  switch (format.formatTag) {
    case kWaveFormatMsAdpcm:
      return OpenMsAdpcm(format, extra, format.extraSize, codec);
    case kWaveFormatImaAdpcm:
      return OpenImaAdpcm(format, extra, format.extraSize, codec);
    case kWaveFormatALaw:
      return OpenALaw(format, codec);
    case kWaveFormatMuLaw:
      return OpenMuLaw(format, codec);
    default:
      return false;
  }
}

// Whether the source is one converted here; the block codec is filled for the block encodings.
bool Accepts(const WaveFormat& format, const uint8_t* extra, BlockCodec* codec) {
  if (format.formatTag == kWaveFormatMpegLayer3) {
    // The byte rate sizes the PCM of a whole block.
    return IsMpegLayer3Format(format) && format.averageBytesPerSecond > 0;
  }
  return OpenBlockCodec(format, extra, codec);
}

bool ConvertBlocks(ConversionStream* stream, const uint8_t* source, size_t sourceSize, uint8_t* pcm,
                   size_t pcmSize, bool last, ConvertedBytes* converted) {
  const BlockCodec& codec = stream->block;
  const size_t frameBytes = size_t{2} * codec.channels;
  const size_t blockPcm = codec.framesPerBlock * frameBytes;
  while (converted->sourceUsed < sourceSize && pcmSize - converted->pcmProduced >= blockPcm) {
    const size_t left = sourceSize - converted->sourceUsed;
    if (left < codec.blockBytes && !last) break;
    const size_t bytes = std::min<size_t>(left, codec.blockBytes);
    if (!codec.decode(codec, source + converted->sourceUsed, bytes, stream->frames.data())) {
      return false;
    }
    const size_t made = codec.framesIn(codec, bytes) * frameBytes;
    // PCM is 16-bit little-endian.
    uint8_t* out = pcm + converted->pcmProduced;
    for (size_t i = 0; i < made / 2; ++i) {
      PutLe16(out + 2 * i, static_cast<uint16_t>(stream->frames[i]));
    }
    converted->sourceUsed += bytes;
    converted->pcmProduced += made;
  }
  return true;
}

}  // namespace

size_t LargestSoundFormatSize() { return kWaveFormatSize + 4 + 4 * kMaxAdpcmCoefficients; }

bool SuggestPcmFormat(const uint8_t* source, size_t sourceSize, WaveFormat* pcm) {
  WaveFormat format{};
  const uint8_t* extra = nullptr;
  BlockCodec codec{};
  if (!ReadSource(source, sourceSize, &format, &extra) || !Accepts(format, extra, &codec)) {
    return false;
  }
  *pcm = PcmFor(format);
  return true;
}

ConversionStream* OpenConversion(const uint8_t* source, size_t sourceSize, const WaveFormat& pcm) {
  auto* stream = new ConversionStream{};
  const uint8_t* extra = nullptr;
  if (!ReadSource(source, sourceSize, &stream->source, &extra) ||
      !Accepts(stream->source, extra, &stream->block) || !SamePcm(pcm, PcmFor(stream->source)) ||
      (stream->source.formatTag == kWaveFormatMpegLayer3 && !OpenMpegDecoder(pcm, &stream->mpeg))) {
    delete stream;
    return nullptr;
  }
  stream->pcm = pcm;
  if (stream->mpeg == nullptr) {
    stream->frames.resize(size_t{stream->block.framesPerBlock} * stream->block.channels);
  }
  return stream;
}

void CloseConversion(ConversionStream* stream) {
  if (stream == nullptr) return;
  if (stream->mpeg != nullptr) CloseMpegDecoder(stream->mpeg);
  delete stream;
}

bool ConvertSound(ConversionStream* stream, const uint8_t* source, size_t sourceSize, uint8_t* pcm,
                  size_t pcmSize, bool last, ConvertedBytes* converted) {
  *converted = {0, 0};
  if (stream == nullptr || (sourceSize > 0 && source == nullptr) ||
      (pcmSize > 0 && pcm == nullptr)) {
    return false;
  }
  if (stream->mpeg != nullptr) {
    return ConvertMpeg(stream->mpeg, source, sourceSize, pcm, pcmSize, last, &converted->sourceUsed,
                       &converted->pcmProduced);
  }
  return ConvertBlocks(stream, source, sourceSize, pcm, pcmSize, last, converted);
}

uint64_t EstimatePcmSize(const ConversionStream* stream, uint64_t sourceBytes) {
  if (stream == nullptr) return 0;
  const uint64_t frameBytes = stream->pcm.blockAlign;
  if (stream->mpeg != nullptr) {
    const uint64_t bytes = (sourceBytes * stream->pcm.averageBytesPerSecond +
                            stream->source.averageBytesPerSecond - 1) /
                           stream->source.averageBytesPerSecond;
    return (bytes + frameBytes - 1) / frameBytes * frameBytes + kMpegFrameSamples * frameBytes;
  }
  const BlockCodec& codec = stream->block;
  const uint64_t blocks = sourceBytes / codec.blockBytes;
  const size_t rest = static_cast<size_t>(sourceBytes % codec.blockBytes);
  return (blocks * codec.framesPerBlock + codec.framesIn(codec, rest)) * frameBytes;
}

}  // namespace kumo::platform
