#include "kumo/platform/audio_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/platform/sound_files.h"

namespace kumo::platform {
namespace {

// The most compressed bytes handed over at a time.
constexpr size_t kSliceBytes = 2048;

struct Converted {
  bool ok = true;
  std::vector<uint8_t> pcm;
};

// Converts all of `data` in slices of at most 2048 bytes into a room of `room` bytes at a time,
// the last slice marked as such, checking that no call claims more than it was given.
Converted ConvertAll(ConversionStream* stream, const std::vector<uint8_t>& data, size_t room) {
  Converted result;
  std::vector<uint8_t> work(room);
  for (size_t at = 0; at < data.size();) {
    const size_t slice = std::min(kSliceBytes, data.size() - at);
    ConvertedBytes converted{};
    result.ok = ConvertSound(stream, data.data() + at, slice, work.data(), work.size(),
                             at + slice == data.size(), &converted);
    EXPECT_LE(converted.sourceUsed, slice);
    EXPECT_LE(converted.pcmProduced, room);
    result.pcm.insert(result.pcm.end(), work.begin(), work.begin() + converted.pcmProduced);
    if (!result.ok || (converted.sourceUsed == 0 && converted.pcmProduced == 0)) break;
    at += converted.sourceUsed;
  }
  return result;
}

// The largest difference between two runs of samples over the first `count`.
int LargestDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b, size_t count) {
  int largest = 0;
  for (size_t i = 0; i < count; ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
  return largest;
}

WaveFormat PcmOf(uint16_t channels, uint32_t rate) {
  return {kWaveFormatPcm,
          channels,
          rate,
          rate * channels * 2u,
          static_cast<uint16_t>(channels * 2),
          16,
          0};
}

std::vector<uint8_t> FormatBlock(const WaveFormat& format, const std::vector<uint8_t>& extra) {
  std::vector<uint8_t> block(kWaveFormatSize);
  WriteWaveFormat(format, block.data());
  block.insert(block.end(), extra.begin(), extra.end());
  return block;
}

void Append16(std::vector<uint8_t>* bytes, int value) {
  bytes->push_back(static_cast<uint8_t>(value));
  bytes->push_back(static_cast<uint8_t>(value >> 8));
}

// Microsoft ADPCM's extra bytes: frames per block and predictor pairs (the usual seven unless
// `count` says otherwise; pairs past the seventh are zeros).
std::vector<uint8_t> MsAdpcmExtra(int framesPerBlock, int count = 7, int listed = -1) {
  static const int kPairs[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                   {240, 0}, {460, -208}, {392, -232}};
  std::vector<uint8_t> extra;
  Append16(&extra, framesPerBlock);
  Append16(&extra, count);
  for (int i = 0; i < (listed < 0 ? count : listed); ++i) {
    Append16(&extra, i < 7 ? kPairs[i][0] : 0);
    Append16(&extra, i < 7 ? kPairs[i][1] : 0);
  }
  return extra;
}

std::vector<uint8_t> ImaExtra(int framesPerBlock) {
  std::vector<uint8_t> extra;
  Append16(&extra, framesPerBlock);
  return extra;
}

WaveFormat Compressed(uint16_t tag, uint16_t channels, uint16_t blockAlign, uint16_t bits,
                      uint16_t extraSize) {
  return {tag, channels, 22050, 11100, blockAlign, bits, extraSize};
}

// MPEG audio Layer III as a WAV file's format chunk describes it, for a stream whose first frame
// is `frameBytes` long.
std::vector<uint8_t> Mp3Format(uint16_t channels, uint32_t rate, uint32_t kbps,
                               uint32_t frameBytes) {
  std::vector<uint8_t> extra;
  Append16(&extra, 1);  // MPEG
  Append16(&extra, 0);  // flags
  Append16(&extra, 0);
  Append16(&extra, static_cast<int>(frameBytes));
  Append16(&extra, 1);    // frames per block
  Append16(&extra, 700);  // codec delay
  return FormatBlock({kWaveFormatMpegLayer3, channels, rate, kbps * 1000 / 8, 1, 0, 12}, extra);
}

class AudioConversionTest : public SoundFilesTest {
 protected:
  // A 0.3 s tone of two sines made by sox.
  void MakeTone(const std::string& name, int channels, int rate) {
    Run("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b 16 " + name +
        " synth 0.3 sine 440 sine 1000 vol 0.6");
  }

  WavFile Wav(const std::string& name) {
    WavFile wav;
    EXPECT_TRUE(ReadWav(Path(name), &wav)) << name;
    return wav;
  }
};

struct BlockCase {
  const char* encoding;  // sox's name for it
  uint16_t formatTag;
  int channels;
};

// Each encoding, made by sox from a tone and converted in slices (into a large room, and into one
// block's room at a time), sample for sample as sox decodes the same file.
TEST_F(AudioConversionTest, BlockEncodingsMatchSoxsDecodingInAnySlicing) {
  const BlockCase cases[] = {
      {"ms-adpcm", kWaveFormatMsAdpcm, 1},   {"ms-adpcm", kWaveFormatMsAdpcm, 2},
      {"ima-adpcm", kWaveFormatImaAdpcm, 1}, {"ima-adpcm", kWaveFormatImaAdpcm, 2},
      {"a-law", kWaveFormatALaw, 1},         {"u-law", kWaveFormatMuLaw, 2},
  };
  for (const BlockCase& c : cases) {
    SCOPED_TRACE(std::string(c.encoding) + " x" + std::to_string(c.channels));
    MakeTone("tone.wav", c.channels, 22050);
    Run(std::string("sox tone.wav -e ") + c.encoding + " coded.wav");
    Run("sox coded.wav -e signed-integer -b 16 reference.wav");
    const WavFile coded = Wav("coded.wav");
    const std::vector<int16_t> reference = Samples16(Wav("reference.wav").data);
    ASSERT_EQ(ReadWaveFormat(coded.format.data(), coded.format.size()).formatTag, c.formatTag);

    WaveFormat pcm{};
    ASSERT_TRUE(SuggestPcmFormat(coded.format.data(), coded.format.size(), &pcm));
    const WaveFormat expected = PcmOf(static_cast<uint16_t>(c.channels), 22050);
    EXPECT_EQ(pcm.channels, expected.channels);
    EXPECT_EQ(pcm.samplesPerSecond, expected.samplesPerSecond);
    EXPECT_EQ(pcm.averageBytesPerSecond, expected.averageBytesPerSecond);
    EXPECT_EQ(pcm.blockAlign, expected.blockAlign);
    EXPECT_EQ(pcm.bitsPerSample, 16);

    ConversionStream* stream = OpenConversion(coded.format.data(), coded.format.size(), pcm);
    ASSERT_NE(stream, nullptr);
    const uint16_t blockAlign = ReadWaveFormat(coded.format.data(), coded.format.size()).blockAlign;
    const size_t blockRoom = EstimatePcmSize(stream, blockAlign);
    const Converted whole = ConvertAll(stream, coded.data, 1 << 20);
    const Converted blocks = ConvertAll(stream, coded.data, blockRoom);
    EXPECT_EQ(EstimatePcmSize(stream, coded.data.size()), whole.pcm.size());
    CloseConversion(stream);

    ASSERT_TRUE(whole.ok);
    ASSERT_TRUE(blocks.ok);
    EXPECT_EQ(blocks.pcm, whole.pcm);
    // sox leaves out the padding of the last block, which is at most a block of PCM.
    const std::vector<int16_t> samples = Samples16(whole.pcm);
    ASSERT_GE(samples.size(), reference.size());
    EXPECT_LT(samples.size() - reference.size(), blockRoom / 2);
    EXPECT_TRUE(std::equal(reference.begin(), reference.end(), samples.begin()));
  }
}

// The predictor pairs come from the format block: the same data with its pairs listed in reverse
// order, and every block's predictor indices turned round to match, decodes the same.
TEST_F(AudioConversionTest, MsAdpcmPredictsWithTheFormatsOwnPairs) {
  MakeTone("tone.wav", 2, 22050);
  Run("sox tone.wav -e ms-adpcm coded.wav");
  const WavFile coded = Wav("coded.wav");
  const WaveFormat format = ReadWaveFormat(coded.format.data(), coded.format.size());
  constexpr size_t kPairs = kWaveFormatSize + 4;
  std::vector<uint8_t> reversed = coded.format;
  for (int i = 0; i < 7; ++i) {
    std::copy_n(coded.format.begin() + kPairs + 4 * (6 - i), 4, reversed.begin() + kPairs + 4 * i);
  }
  std::vector<uint8_t> turned = coded.data;
  bool anyTurned = false;
  for (size_t block = 0; block < turned.size(); block += format.blockAlign) {
    for (size_t c = 0; c < 2; ++c) {
      turned[block + c] = static_cast<uint8_t>(6 - turned[block + c]);
      anyTurned |= turned[block + c] != coded.data[block + c];
    }
  }
  ASSERT_TRUE(anyTurned);

  WaveFormat pcm{};
  ASSERT_TRUE(SuggestPcmFormat(coded.format.data(), coded.format.size(), &pcm));
  ConversionStream* original = OpenConversion(coded.format.data(), coded.format.size(), pcm);
  ConversionStream* changed = OpenConversion(reversed.data(), reversed.size(), pcm);
  ASSERT_NE(original, nullptr);
  ASSERT_NE(changed, nullptr);
  const Converted expected = ConvertAll(original, coded.data, 1 << 20);
  const Converted actual = ConvertAll(changed, turned, 1 << 20);
  CloseConversion(original);
  CloseConversion(changed);
  ASSERT_TRUE(actual.ok);
  EXPECT_EQ(actual.pcm, expected.pcm);
}

struct Mp3Case {
  int channels;
  int rate;
  int kbps;
  uint32_t firstFrameBytes;
};

// lame's MP3 streams (MPEG-1 stereo, MPEG-2 mono), converted from the format a WAV file or the
// first frame gives, in slices and in rooms of one frame's PCM, against lame's decoding.
TEST_F(AudioConversionTest, Mp3MatchesLamesDecodingInAnySlicing) {
  const Mp3Case cases[] = {{2, 44100, 128, 417}, {1, 22050, 64, 208}};
  for (const Mp3Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz x" + std::to_string(c.channels));
    MakeTone("tone.wav", c.channels, c.rate);
    Run("lame --quiet -b " + std::to_string(c.kbps) + " tone.wav coded.mp3");
    Run("lame --quiet --decode coded.mp3 reference.wav");
    const std::vector<uint8_t> data = ReadBytes(Path("coded.mp3"));
    const std::vector<int16_t> reference = Samples16(Wav("reference.wav").data);
    const std::vector<uint8_t> format =
        Mp3Format(static_cast<uint16_t>(c.channels), c.rate, c.kbps, c.firstFrameBytes);

    WaveFormat pcm{};
    ASSERT_TRUE(SuggestPcmFormat(format.data(), format.size(), &pcm));
    EXPECT_EQ(pcm.channels, c.channels);
    EXPECT_EQ(pcm.samplesPerSecond, static_cast<uint32_t>(c.rate));
    EXPECT_EQ(pcm.bitsPerSample, 16);
    ConversionStream* stream = OpenConversion(format.data(), format.size(), pcm);
    ASSERT_NE(stream, nullptr);
    const Converted whole = ConvertAll(stream, data, 1 << 20);
    const uint64_t estimate = EstimatePcmSize(stream, data.size());
    CloseConversion(stream);
    // A fresh stream: the decoder keeps state between frames.
    stream = OpenConversion(format.data(), format.size(), pcm);
    const size_t frameRoom = (c.rate >= 32000 ? 1152 : 576) * pcm.blockAlign;
    const Converted frames = ConvertAll(stream, data, frameRoom);
    CloseConversion(stream);

    ASSERT_TRUE(whole.ok);
    ASSERT_TRUE(frames.ok);
    EXPECT_EQ(frames.pcm, whole.pcm);
    EXPECT_GE(estimate, whole.pcm.size());
    // Both leave out the encoder's delay and padding as the stream's first frame tells.
    const std::vector<int16_t> samples = Samples16(whole.pcm);
    ASSERT_EQ(samples.size(), reference.size());
    EXPECT_LE(LargestDifference(samples, reference, reference.size()), 4);
  }
}

TEST_F(AudioConversionTest, MalformedOrUnknownFormatsAreRefused) {
  const auto ms = [](uint16_t channels, uint16_t blockAlign, std::vector<uint8_t> extra,
                     uint16_t bits = 4) {
    return FormatBlock(Compressed(kWaveFormatMsAdpcm, channels, blockAlign, bits,
                                  static_cast<uint16_t>(extra.size())),
                       extra);
  };
  const auto ima = [](uint16_t channels, uint16_t blockAlign, int frames) {
    return FormatBlock(Compressed(kWaveFormatImaAdpcm, channels, blockAlign, 4, 2),
                       ImaExtra(frames));
  };
  std::vector<uint8_t> claimsMore = ms(1, 256, MsAdpcmExtra(500));
  claimsMore[16] = 40;  // extra size past the block's end
  std::vector<uint8_t> shortLayout = ms(1, 256, MsAdpcmExtra(500));
  shortLayout.resize(14);
  const struct {
    const char* what;
    std::vector<uint8_t> format;
  } cases[] = {
      {"shorter than a format", shortLayout},
      {"extra size past the end", claimsMore},
      {"ms: no channels", ms(0, 256, MsAdpcmExtra(500))},
      {"ms: three channels", ms(3, 256, MsAdpcmExtra(500))},
      {"ms: 8 bits", ms(1, 256, MsAdpcmExtra(500), 8)},
      {"ms: block shorter than its header", ms(2, 13, MsAdpcmExtra(2))},
      {"ms: more frames than a block holds", ms(1, 256, MsAdpcmExtra(501))},
      {"ms: fewer than two frames", ms(1, 256, MsAdpcmExtra(1))},
      {"ms: no predictor pairs", ms(1, 256, MsAdpcmExtra(500, 0))},
      {"ms: more pairs than an index reaches", ms(1, 256, MsAdpcmExtra(500, 257))},
      {"ms: fewer pairs than counted", ms(1, 256, MsAdpcmExtra(500, 8, 7))},
      {"ms: no extra bytes", ms(1, 256, {})},
      {"ima: block not header plus whole runs", ima(1, 258, 505)},
      {"ima: frames per block that do not match", ima(1, 256, 500)},
      {"ima: stereo block too short for a run", ima(2, 8, 1)},
      {"a-law: block align not the channels",
       FormatBlock(Compressed(kWaveFormatALaw, 2, 1, 8, 0), {})},
      {"u-law: 16 bits", FormatBlock(Compressed(kWaveFormatMuLaw, 1, 1, 16, 0), {})},
      {"mp3: not an MPEG rate", Mp3Format(2, 44000, 128, 417)},
      {"mp3: no byte rate", Mp3Format(2, 44100, 0, 417)},
      {"pcm", FormatBlock(PcmOf(2, 44100), {})},
      {"unknown tag", FormatBlock(Compressed(0x1234, 1, 256, 4, 0), {})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WaveFormat pcm{};
    EXPECT_FALSE(SuggestPcmFormat(c.format.data(), c.format.size(), &pcm));
    EXPECT_EQ(OpenConversion(c.format.data(), c.format.size(), PcmOf(1, 22050)), nullptr);
  }
  // A good source is refused towards any PCM but the suggested one.
  const std::vector<uint8_t> good = ms(2, 512, MsAdpcmExtra(500));
  WaveFormat pcm{};
  ASSERT_TRUE(SuggestPcmFormat(good.data(), good.size(), &pcm));
  ConversionStream* stream = OpenConversion(good.data(), good.size(), pcm);
  EXPECT_NE(stream, nullptr);
  CloseConversion(stream);
  EXPECT_EQ(OpenConversion(good.data(), good.size(), PcmOf(1, 22050)), nullptr);
  EXPECT_GE(LargestSoundFormatSize(), good.size());
}

// A block whose header is impossible fails the call; the blocks before it are reported.
TEST_F(AudioConversionTest, ImpossibleBlockHeadersFailAfterTheGoodBlocks) {
  const struct {
    const char* what;
    std::vector<uint8_t> format;
    size_t badByte;  // in the second block
    uint8_t badValue;
    size_t framesPerBlock;
  } cases[] = {
      {"ms: predictor past the pairs",
       FormatBlock(Compressed(kWaveFormatMsAdpcm, 1, 64, 4, 32), MsAdpcmExtra(116)), 0, 7, 116},
      {"ima: step index past the table",
       FormatBlock(Compressed(kWaveFormatImaAdpcm, 2, 72, 4, 2), ImaExtra(65)), 6, 89, 65},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const WaveFormat format = ReadWaveFormat(c.format.data(), c.format.size());
    std::vector<uint8_t> data(3 * format.blockAlign, 0);
    data[format.blockAlign + c.badByte] = c.badValue;
    WaveFormat pcm{};
    ASSERT_TRUE(SuggestPcmFormat(c.format.data(), c.format.size(), &pcm));
    ConversionStream* stream = OpenConversion(c.format.data(), c.format.size(), pcm);
    ASSERT_NE(stream, nullptr);
    std::vector<uint8_t> out(1 << 16);
    ConvertedBytes converted{};
    EXPECT_FALSE(
        ConvertSound(stream, data.data(), data.size(), out.data(), out.size(), true, &converted));
    EXPECT_EQ(converted.sourceUsed, format.blockAlign);
    EXPECT_EQ(converted.pcmProduced, c.framesPerBlock * pcm.blockAlign);
    CloseConversion(stream);
  }
}

// Data cut inside a block (or an MPEG frame) converts the whole ones and waits for the rest;
// marked last, the short block gives the frames its bytes hold, the same as the whole block's
// first ones, and a short frame is dropped.
TEST_F(AudioConversionTest, CutDataConvertsWhatItHolds) {
  for (const char* encoding : {"ms-adpcm", "ima-adpcm"}) {
    SCOPED_TRACE(encoding);
    MakeTone("tone.wav", 2, 22050);
    Run(std::string("sox tone.wav -e ") + encoding + " coded.wav");
    const WavFile coded = Wav("coded.wav");
    const uint16_t blockAlign = ReadWaveFormat(coded.format.data(), coded.format.size()).blockAlign;
    WaveFormat pcm{};
    ASSERT_TRUE(SuggestPcmFormat(coded.format.data(), coded.format.size(), &pcm));
    ConversionStream* stream = OpenConversion(coded.format.data(), coded.format.size(), pcm);
    ASSERT_NE(stream, nullptr);
    std::vector<uint8_t> full(1 << 16), cut(1 << 16);
    ConvertedBytes whole{}, part{};
    ASSERT_TRUE(ConvertSound(stream, coded.data.data(), 2 * blockAlign, full.data(), full.size(),
                             true, &whole));
    const size_t cutBytes = blockAlign + blockAlign / 2 + 3;
    ASSERT_TRUE(
        ConvertSound(stream, coded.data.data(), cutBytes, cut.data(), cut.size(), false, &part));
    EXPECT_EQ(part.sourceUsed, blockAlign);
    EXPECT_EQ(part.pcmProduced, whole.pcmProduced / 2);
    ASSERT_TRUE(
        ConvertSound(stream, coded.data.data(), cutBytes, cut.data(), cut.size(), true, &part));
    EXPECT_EQ(part.sourceUsed, cutBytes);
    EXPECT_EQ(part.pcmProduced, EstimatePcmSize(stream, cutBytes));
    EXPECT_GT(part.pcmProduced, whole.pcmProduced / 2);
    EXPECT_LT(part.pcmProduced, whole.pcmProduced);
    EXPECT_TRUE(std::equal(cut.begin(), cut.begin() + part.pcmProduced, full.begin()));
    CloseConversion(stream);
  }

  MakeTone("tone.wav", 2, 44100);
  Run("lame --quiet -b 128 tone.wav coded.mp3");
  const std::vector<uint8_t> data = ReadBytes(Path("coded.mp3"));
  const std::vector<uint8_t> format = Mp3Format(2, 44100, 128, 417);
  WaveFormat pcm{};
  ASSERT_TRUE(SuggestPcmFormat(format.data(), format.size(), &pcm));
  ConversionStream* stream = OpenConversion(format.data(), format.size(), pcm);
  const Converted whole = ConvertAll(stream, data, 1 << 20);
  CloseConversion(stream);
  stream = OpenConversion(format.data(), format.size(), pcm);
  const std::vector<uint8_t> cutData(data.begin(), data.begin() + data.size() / 2);
  const Converted cut = ConvertAll(stream, cutData, 1 << 20);
  CloseConversion(stream);
  ASSERT_TRUE(cut.ok);
  EXPECT_GT(cut.pcm.size(), 0u);
  EXPECT_LT(cut.pcm.size(), whole.pcm.size());
  EXPECT_TRUE(std::equal(cut.pcm.begin(), cut.pcm.end(), whole.pcm.begin()));
}

// libmpg123 is held to the format's rate: frames of another one are refused, not resampled.
TEST_F(AudioConversionTest, Mp3FramesOfAnotherRateThanTheFormatsFail) {
  MakeTone("tone.wav", 2, 44100);
  Run("lame --quiet -b 128 tone.wav coded.mp3");
  const std::vector<uint8_t> data = ReadBytes(Path("coded.mp3"));
  const std::vector<uint8_t> format = Mp3Format(2, 22050, 128, 417);
  WaveFormat pcm{};
  ASSERT_TRUE(SuggestPcmFormat(format.data(), format.size(), &pcm));
  ConversionStream* stream = OpenConversion(format.data(), format.size(), pcm);
  ASSERT_NE(stream, nullptr);
  const Converted converted = ConvertAll(stream, data, 1 << 20);
  CloseConversion(stream);
  EXPECT_FALSE(converted.ok);
  EXPECT_TRUE(converted.pcm.empty());
}

// Bytes of no sound at all go through every decoder without a read outside them.
TEST_F(AudioConversionTest, GarbageConvertsWithinItsBounds) {
  std::vector<uint8_t> garbage(8192);
  uint32_t seed = 12345;
  for (uint8_t& byte : garbage) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(seed >> 16);
  }
  // Frame headers here and there, so that the MPEG decoder gets frames of noise.
  for (size_t at = 100; at + 4 < garbage.size(); at += 700) {
    garbage[at] = 0xFF;
    garbage[at + 1] = 0xFB;
    garbage[at + 2] = 0x90;
  }
  const std::vector<uint8_t> formats[] = {
      FormatBlock(Compressed(kWaveFormatMsAdpcm, 2, 512, 4, 32), MsAdpcmExtra(500)),
      FormatBlock(Compressed(kWaveFormatImaAdpcm, 1, 256, 4, 2), ImaExtra(505)),
      FormatBlock(Compressed(kWaveFormatALaw, 1, 1, 8, 0), {}),
      Mp3Format(2, 44100, 128, 417),
  };
  for (const std::vector<uint8_t>& format : formats) {
    WaveFormat pcm{};
    ASSERT_TRUE(SuggestPcmFormat(format.data(), format.size(), &pcm));
    ConversionStream* stream = OpenConversion(format.data(), format.size(), pcm);
    ASSERT_NE(stream, nullptr);
    // The exact sizes, so that the sanitizer sees any step past them.
    for (size_t slice : {size_t{1}, size_t{3}, size_t{700}, size_t{2048}}) {
      std::vector<uint8_t> source(garbage.begin(), garbage.begin() + slice);
      std::vector<uint8_t> out(4608);
      ConvertedBytes converted{};
      ConvertSound(stream, source.data(), source.size(), out.data(), out.size(), true, &converted);
      EXPECT_LE(converted.sourceUsed, slice);
      EXPECT_LE(converted.pcmProduced, out.size());
    }
    CloseConversion(stream);
  }
}

}  // namespace
}  // namespace kumo::platform
