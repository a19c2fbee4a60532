#include "kumo/platform/sound_device.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "kumo/platform/clock.h"
#include "kumo/platform/headless/virtual_clock.h"
#include "tests/platform/sound_files.h"

namespace kumo::platform {
namespace {

using headless::AdvanceVirtualNanos;
using headless::SetVirtualNanos;

constexpr uint32_t kAllControls =
    kPlayBufferStatic | kPlayControlFrequency | kPlayControlPan | kPlayControlVolume;

WaveFormat Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t blockAlign = static_cast<uint16_t>(channels * bits / 8);
  return {kWaveFormatPcm, channels, rate, rate * blockAlign, blockAlign, bits, 0};
}

// 16-bit samples as the buffer holds them.
std::vector<uint8_t> Bytes16(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  for (const int16_t sample : samples) {
    bytes.push_back(static_cast<uint8_t>(sample));
    bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8));
  }
  return bytes;
}

std::vector<int16_t> Repeat(std::vector<int16_t> frame, size_t frames) {
  std::vector<int16_t> samples;
  for (size_t i = 0; i < frames; ++i) samples.insert(samples.end(), frame.begin(), frame.end());
  return samples;
}

// Writes `bytes` into the buffer from `offset` through a lock.
void Fill(PlayBuffer* buffer, uint32_t offset, const std::vector<uint8_t>& bytes) {
  PlayRegions regions{};
  ASSERT_EQ(LockPlayBuffer(buffer, offset, static_cast<uint32_t>(bytes.size()), &regions),
            kSoundOk);
  std::copy_n(bytes.begin(), regions.firstBytes, regions.first);
  std::copy_n(bytes.begin() + regions.firstBytes, regions.secondBytes, regions.second);
  ASSERT_EQ(UnlockPlayBuffer(buffer, regions), kSoundOk);
}

// The headless device with its output going to a file in the test's directory; the virtual clock
// starts at 1 s, so that 10 ms are 441 frames of output.
class SoundDeviceTest : public SoundFilesTest {
 protected:
  void SetUp() override {
    SoundFilesTest::SetUp();
    setenv("KUMO_AUDIO_OUT", Path("out.wav").c_str(), 1);
    SetVirtualNanos(1000000000);
    ASSERT_EQ(OpenSoundDevice(&device_), kSoundOk);
  }

  void TearDown() override {
    CloseSoundDevice(device_);
    unsetenv("KUMO_AUDIO_OUT");
    SoundFilesTest::TearDown();
  }

  PlayBuffer* Make(const WaveFormat& format, const std::vector<uint8_t>& bytes,
                   uint32_t flags = kAllControls) {
    PlayBuffer* buffer = nullptr;
    EXPECT_EQ(
        CreatePlayBuffer(device_, format, static_cast<uint32_t>(bytes.size()), flags, &buffer),
        kSoundOk);
    if (buffer != nullptr) Fill(buffer, 0, bytes);
    return buffer;
  }

  static void Pass(uint32_t ms) { AdvanceVirtualNanos(uint64_t{ms} * 1000000u); }

  // Closes the device and reads its file back: 16-bit stereo samples at 44100 Hz.
  std::vector<int16_t> Output() {
    CloseSoundDevice(device_);
    device_ = nullptr;
    WavFile wav;
    EXPECT_TRUE(ReadWav(Path("out.wav"), &wav));
    const WaveFormat format = ReadWaveFormat(wav.format.data(), wav.format.size());
    EXPECT_EQ(format.formatTag, kWaveFormatPcm);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samplesPerSecond, 44100u);
    EXPECT_EQ(format.averageBytesPerSecond, 44100u * 4);
    EXPECT_EQ(format.blockAlign, 4);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(wav.riffSize, 36 + wav.data.size());
    return Samples16(wav.data);
  }

  static PlayStatus Status(PlayBuffer* buffer) {
    PlayStatus status{};
    EXPECT_EQ(PlayBufferStatus(buffer, &status), kSoundOk);
    return status;
  }

  static uint32_t Position(PlayBuffer* buffer) {
    uint32_t offset = 0xFFFFFFFF;
    EXPECT_EQ(PlayBufferPosition(buffer, &offset), kSoundOk);
    return offset;
  }

  SoundDevice* device_ = nullptr;
};

// Output frame `i` of the samples, as (left, right).
std::pair<int, int> FrameAt(const std::vector<int16_t>& samples, size_t i) {
  return {samples[2 * i], samples[2 * i + 1]};
}

TEST_F(SoundDeviceTest, BuffersPlayingTogetherSumWithSaturation) {
  PlayBuffer* a = Make(Pcm(2, 44100, 16), Bytes16(Repeat({20000, -20000}, 220)));
  PlayBuffer* b = Make(Pcm(2, 44100, 16), Bytes16(Repeat({20000, -20000}, 441)));
  Pass(5);  // 220 frames of silence first
  ASSERT_EQ(PlayPlayBuffer(a, false), kSoundOk);
  ASSERT_EQ(PlayPlayBuffer(b, false), kSoundOk);
  Pass(10);
  EXPECT_FALSE(Status(a).playing);
  EXPECT_FALSE(Status(b).playing);
  Pass(5);
  const std::vector<int16_t> out = Output();
  ASSERT_EQ(out.size(), 2u * 882);  // 20 ms
  for (size_t i = 0; i < 882; ++i) {
    SCOPED_TRACE(i);
    const std::pair<int, int> expected = i < 220   ? std::pair{0, 0}
                                         : i < 440 ? std::pair{32767, -32768}
                                         : i < 661 ? std::pair{20000, -20000}
                                                   : std::pair{0, 0};
    ASSERT_EQ(FrameAt(out, i), expected);
  }
}

// A looping buffer wraps; stopped, it is silent and keeps its place; played once from there it
// ends at its end and is back at 0.
TEST_F(SoundDeviceTest, LoopingWrapsStoppingSilencesAndOnceEndsAtTheEnd) {
  std::vector<int16_t> ramp;
  for (int i = 0; i < 100; ++i) ramp.push_back(static_cast<int16_t>(i * 100 - 5000));
  PlayBuffer* buffer = Make(Pcm(1, 44100, 16), Bytes16(ramp));
  ASSERT_EQ(PlayPlayBuffer(buffer, true), kSoundOk);
  Pass(10);
  EXPECT_TRUE(Status(buffer).playing);
  EXPECT_TRUE(Status(buffer).looping);
  EXPECT_EQ(Position(buffer), 41u * 2);
  ASSERT_EQ(StopPlayBuffer(buffer), kSoundOk);
  Pass(10);
  EXPECT_FALSE(Status(buffer).playing);
  EXPECT_EQ(Position(buffer), 41u * 2);
  ASSERT_EQ(PlayPlayBuffer(buffer, false), kSoundOk);
  EXPECT_FALSE(Status(buffer).looping);
  Pass(10);
  EXPECT_FALSE(Status(buffer).playing);
  EXPECT_EQ(Position(buffer), 0u);

  const std::vector<int16_t> out = Output();
  ASSERT_EQ(out.size(), 2u * 1323);
  for (size_t i = 0; i < 1323; ++i) {
    SCOPED_TRACE(i);
    const int expected = i < 441        ? ramp[i % 100]
                         : i < 882      ? 0
                         : i < 882 + 59 ? ramp[i - 882 + 41]
                                        : 0;
    ASSERT_EQ(FrameAt(out, i), std::pair(expected, expected));
  }
}

struct ResampleCase {
  const char* what;
  WaveFormat format;
  uint32_t frequency;  // kPlayOriginalFrequency: the format's
  // Output frame i (left, right) from the buffer's frames f (the widened samples of frame n).
  std::pair<int, int> (*expected)(size_t i, int (*f)(size_t n, int channel));
};

// A sample of frame n, channel c: each frame and channel differs.
int SourceSample(size_t n, int channel) { return static_cast<int>(n) * 200 - 6000 + channel * 300; }

// 8-bit, mono and other rates come out at 44100 Hz in stereo, linearly between their frames.
TEST_F(SoundDeviceTest, EveryFormatIsResampledToTheOutput) {
  const ResampleCase cases[] = {
      {"8-bit mono at 22050 Hz", Pcm(1, 22050, 8), kPlayOriginalFrequency,
       [](size_t i, int (*f)(size_t, int)) {
         const int from = f(i / 2, 0), to = f(i / 2 + 1, 0);
         const int value = i % 2 == 0 ? from : from + (to - from) / 2;
         return std::pair{value, value};
       }},
      {"16-bit stereo at 88200 Hz", Pcm(2, 88200, 16), kPlayOriginalFrequency,
       [](size_t i, int (*f)(size_t, int)) {
         return std::pair{f(2 * i, 0), f(2 * i, 1)};
       }},
      {"16-bit mono at 44100 Hz played at 11025 Hz", Pcm(1, 44100, 16), 11025,
       [](size_t i, int (*f)(size_t, int)) {
         const int from = f(i / 4, 0), to = f(i / 4 + 1, 0);
         const int value = from + (to - from) * static_cast<int>(i % 4) / 4;
         return std::pair{value, value};
       }},
  };
  for (const ResampleCase& c : cases) {
    SCOPED_TRACE(c.what);
    const bool eight = c.format.bitsPerSample == 8;
    // 8-bit samples are stored unsigned around 128, and widen to 256 times their value.
    int (*widened)(size_t, int) = SourceSample;
    if (eight) widened = [](size_t n, int) { return SourceSample(n, 0) / 256 * 256; };
    std::vector<uint8_t> bytes;
    for (size_t n = 0; n < 100; ++n) {
      for (int ch = 0; ch < c.format.channels; ++ch) {
        const int sample = SourceSample(n, ch);
        if (eight) {
          bytes.push_back(static_cast<uint8_t>(sample / 256 + 128));
        } else {
          bytes.push_back(static_cast<uint8_t>(sample));
          bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8));
        }
      }
    }
    CloseSoundDevice(device_);
    ASSERT_EQ(OpenSoundDevice(&device_), kSoundOk);
    PlayBuffer* buffer = Make(c.format, bytes);
    ASSERT_EQ(SetPlayBufferFrequency(buffer, c.frequency), kSoundOk);
    ASSERT_EQ(PlayPlayBuffer(buffer, false), kSoundOk);
    Pass(1);  // 44 frames, before any buffer's end
    const std::vector<int16_t> out = Output();
    ASSERT_EQ(out.size(), 2u * 44);
    for (size_t i = 0; i < 44; ++i) {
      SCOPED_TRACE(i);
      ASSERT_EQ(FrameAt(out, i), c.expected(i, widened));
    }
  }
}

TEST_F(SoundDeviceTest, VolumeAndPanScaleEachSide) {
  const struct {
    int32_t volume, pan;
    double left, right;  // decibels
  } cases[] = {
      {0, 0, 0, 0},       {-600, 0, -6, -6},       {0, 2000, -20, 0},
      {0, -1000, 0, -10}, {-300, 10000, -1e9, -3}, {kPlayVolumeMin, 0, -1e9, -1e9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.volume) + " " + std::to_string(c.pan));
    CloseSoundDevice(device_);
    ASSERT_EQ(OpenSoundDevice(&device_), kSoundOk);
    PlayBuffer* buffer = Make(Pcm(2, 44100, 16), Bytes16(Repeat({16384, -16384}, 441)));
    ASSERT_EQ(SetPlayBufferVolume(buffer, c.volume), kSoundOk);
    ASSERT_EQ(SetPlayBufferPan(buffer, c.pan), kSoundOk);
    ASSERT_EQ(PlayPlayBuffer(buffer, false), kSoundOk);
    Pass(1);
    const std::pair<int, int> frame = FrameAt(Output(), 20);
    EXPECT_NEAR(frame.first, 16384 * std::pow(10.0, c.left / 20), 1);
    EXPECT_NEAR(frame.second, -16384 * std::pow(10.0, c.right / 20), 1);
  }
}

// Positions move with the virtual clock at each buffer's frequency, and a buffer stops just as
// its last frame has played.
TEST_F(SoundDeviceTest, PositionsFollowVirtualTime) {
  PlayBuffer* stereo = Make(Pcm(2, 44100, 16), std::vector<uint8_t>(44100 * 4));
  PlayBuffer* mono = Make(Pcm(1, 22050, 16), std::vector<uint8_t>(22050 * 2));
  PlayBuffer* slow = nullptr;
  ASSERT_EQ(DuplicatePlayBuffer(device_, stereo, &slow), kSoundOk);
  ASSERT_EQ(SetPlayBufferFrequency(slow, 11025), kSoundOk);
  for (PlayBuffer* buffer : {stereo, mono, slow})
    ASSERT_EQ(PlayPlayBuffer(buffer, false), kSoundOk);
  Pass(100);
  EXPECT_EQ(Position(stereo), 4410u * 4);
  EXPECT_EQ(Position(mono), 2205u * 2);
  EXPECT_EQ(Position(slow), 1102u * 4);
  Pass(899);
  EXPECT_TRUE(Status(stereo).playing);
  EXPECT_TRUE(Status(mono).playing);
  Pass(1);
  EXPECT_FALSE(Status(stereo).playing);
  EXPECT_FALSE(Status(mono).playing);
  EXPECT_TRUE(Status(slow).playing);
  EXPECT_EQ(Position(slow), 11025u * 4);
  ASSERT_EQ(SetPlayBufferPosition(slow, 44099 * 4 + 3), kSoundOk);
  EXPECT_EQ(Position(slow), 44099u * 4);
  ReleasePlayBuffer(slow);
}

// A duplicate plays the data written through the original; a lock that passes the end gives two
// regions; locked data plays as silence and takes no second lock.
TEST_F(SoundDeviceTest, DuplicatesShareTheDataThatLocksWrite) {
  PlayBuffer* original = Make(Pcm(1, 44100, 16), std::vector<uint8_t>(200));
  PlayBuffer* copy = nullptr;
  ASSERT_EQ(DuplicatePlayBuffer(device_, original, &copy), kSoundOk);
  PlayRegions regions{};
  ASSERT_EQ(LockPlayBuffer(original, 150, 100, &regions), kSoundOk);
  EXPECT_EQ(regions.firstBytes, 50u);
  EXPECT_EQ(regions.secondBytes, 50u);
  PlayRegions again{};
  EXPECT_EQ(LockPlayBuffer(copy, 0, 10, &again), kSoundInvalidCall);
  ASSERT_EQ(PlayPlayBuffer(copy, true), kSoundOk);
  Pass(1);  // 44 frames while locked: silence
  std::vector<int16_t> samples(50);
  for (int i = 0; i < 50; ++i) samples[i] = static_cast<int16_t>(1000 + i);
  const std::vector<uint8_t> bytes = Bytes16(samples);
  std::copy_n(bytes.begin(), 50, regions.first);
  std::copy_n(bytes.begin() + 50, 50, regions.second);
  ASSERT_EQ(UnlockPlayBuffer(original, regions), kSoundOk);
  EXPECT_EQ(UnlockPlayBuffer(original, regions), kSoundInvalidCall);
  Pass(2);  // to frame 132
  const std::vector<int16_t> out = Output();
  ASSERT_EQ(out.size(), 2u * 132);
  for (size_t i = 0; i < 132; ++i) {
    SCOPED_TRACE(i);
    const size_t frame = i % 100;  // frames 75 to 99 and 0 to 24 were written
    const int expected = i < 44        ? 0
                         : frame >= 75 ? 1000 + static_cast<int>(frame) - 75
                         : frame < 25  ? 1025 + static_cast<int>(frame)
                                       : 0;
    ASSERT_EQ(FrameAt(out, i).first, expected);
  }
}

TEST_F(SoundDeviceTest, RefusesWhatItCannotDo) {
  PlayBuffer* buffer = nullptr;
  const WaveFormat badFormats[] = {
      {kWaveFormatMsAdpcm, 1, 22050, 11100, 256, 4, 32},
      Pcm(1, 44100, 24),
      Pcm(3, 44100, 16),
      Pcm(1, 50, 16),
      Pcm(2, 200000, 16),
      {kWaveFormatPcm, 2, 44100, 44100 * 4, 2, 16, 0},
  };
  for (const WaveFormat& format : badFormats) {
    EXPECT_EQ(CreatePlayBuffer(device_, format, 4096, kAllControls, &buffer), kSoundBadFormat);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(SetOutputFormat(device_, format), kSoundBadFormat);
  }
  EXPECT_EQ(CreatePlayBuffer(device_, Pcm(1, 44100, 8), 3, kAllControls, &buffer),
            kSoundInvalidParams);
  EXPECT_EQ(CreatePlayBuffer(device_, Pcm(1, 44100, 16), 4096, 0x10, &buffer), kSoundInvalidParams);

  PlayBuffer* plain = Make(Pcm(2, 44100, 16), std::vector<uint8_t>(400), kPlayBufferStatic);
  EXPECT_EQ(SetPlayBufferVolume(plain, -100), kSoundNoControl);
  EXPECT_EQ(SetPlayBufferPan(plain, 100), kSoundNoControl);
  EXPECT_EQ(SetPlayBufferFrequency(plain, 22050), kSoundNoControl);
  PlayBuffer* controlled = Make(Pcm(2, 44100, 16), std::vector<uint8_t>(400));
  EXPECT_EQ(SetPlayBufferVolume(controlled, 1), kSoundInvalidParams);
  EXPECT_EQ(SetPlayBufferVolume(controlled, -10001), kSoundInvalidParams);
  EXPECT_EQ(SetPlayBufferPan(controlled, 10001), kSoundInvalidParams);
  EXPECT_EQ(SetPlayBufferFrequency(controlled, 99), kSoundInvalidParams);
  EXPECT_EQ(SetPlayBufferFrequency(controlled, 100001), kSoundInvalidParams);
  EXPECT_EQ(SetPlayBufferPosition(controlled, 400), kSoundInvalidParams);
  PlayRegions regions{};
  EXPECT_EQ(LockPlayBuffer(controlled, 400, 4, &regions), kSoundInvalidParams);
  EXPECT_EQ(LockPlayBuffer(controlled, 0, 401, &regions), kSoundInvalidParams);
  EXPECT_EQ(UnlockPlayBuffer(controlled, regions), kSoundInvalidCall);

  SoundDevice* second = nullptr;
  EXPECT_EQ(OpenSoundDevice(&second), kSoundInvalidCall);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(SetOutputFormat(device_, Pcm(1, 22050, 8)), kSoundOk);
}

TEST_F(SoundDeviceTest, DescribesItselfForTheLog) {
  SoundDeviceCaps caps{};
  ASSERT_EQ(DescribeSoundDevice(device_, &caps), kSoundOk);
  EXPECT_TRUE(caps.primaryStereo && caps.primary16Bit && caps.primaryMono && caps.primary8Bit);
  EXPECT_TRUE(caps.secondaryStereo && caps.secondary16Bit && caps.secondaryMono &&
              caps.secondary8Bit);
  EXPECT_EQ(caps.minSecondaryRate, kPlayFrequencyMin);
  EXPECT_EQ(caps.maxSecondaryRate, kPlayFrequencyMax);
  const std::vector<SoundDriver> drivers = ListSoundDrivers();
  ASSERT_EQ(drivers.size(), 1u);
  EXPECT_EQ(drivers[0].module, "headless");
}

// A program that ends without closing the device still leaves a whole file.
TEST_F(SoundFilesTest, AudioOutFileIsFinishedAtExit) {
  const std::string path = Path("exit.wav");
  setenv("KUMO_AUDIO_OUT", path.c_str(), 1);
  EXPECT_EXIT(
      {
        SoundDevice* device = nullptr;
        PlayBuffer* buffer = nullptr;
        if (OpenSoundDevice(&device) != kSoundOk ||
            CreatePlayBuffer(device, Pcm(1, 44100, 16), 44100 * 2, kAllControls, &buffer) !=
                kSoundOk) {
          std::exit(1);
        }
        Fill(buffer, 0, Bytes16(std::vector<int16_t>(44100, 7777)));
        PlayPlayBuffer(buffer, false);
        AdvanceVirtualNanos(250000000);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
  unsetenv("KUMO_AUDIO_OUT");
  WavFile wav;
  ASSERT_TRUE(ReadWav(path, &wav));
  EXPECT_EQ(wav.riffSize, 36 + wav.data.size());
  const std::vector<int16_t> samples = Samples16(wav.data);
  ASSERT_EQ(samples.size(), 2u * 11025);
  EXPECT_EQ(std::count(samples.begin(), samples.end(), 7777), 2 * 11025);
}

}  // namespace
}  // namespace kumo::platform
