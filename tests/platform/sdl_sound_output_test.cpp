// The sound device on the SDL backend, each run in a fresh process of its own (the backend is
// chosen once per process): with no audio output, and with SDL's disk driver, which writes what
// the callback mixes to a file of raw samples in real time.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "kumo/platform/clock.h"
#include "kumo/platform/sound_device.h"
#include "tests/platform/sound_files.h"

namespace kumo::platform {
namespace {

// Sets variables for the test's run and gives the old values back afterwards.
class Environment {
 public:
  void Set(const char* name, const std::string& value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old != nullptr, old != nullptr ? old : ""});
    setenv(name, value.c_str(), 1);
  }
  ~Environment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      it->had ? setenv(it->name, it->value.c_str(), 1) : unsetenv(it->name);
    }
  }

 private:
  struct Saved {
    const char* name;
    bool had;
    std::string value;
  };
  std::vector<Saved> saved_;
};

class SdlSoundOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    environment_.Set("KUMO_PLATFORM", "sdl");
  }

  Environment environment_;
};

// Plays a looping buffer of the stereo frame (6000, 2000) for 300 ms of real time through SDL's
// disk driver, the output in `output` first when that is not a null format, and exits 0 when
// every call succeeded and the driver's file holds at least a few callbacks' worth of
// `expected` frames and nothing but those and silence. Runs in the test's child process, which
// makes and removes the file itself.
void PlayThroughSdl(const WaveFormat& output, const std::vector<int16_t>& expected) {
  const std::string raw = ::testing::TempDir() + "kumo_sdl_sound_" + std::to_string(getpid());
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  SoundDevice* device = nullptr;
  if (OpenSoundDevice(&device) != kSoundOk) std::exit(1);
  if (output.formatTag != 0 && SetOutputFormat(device, output) != kSoundOk) std::exit(2);
  const WaveFormat format = {kWaveFormatPcm, 2, 44100, 44100 * 4, 4, 16, 0};
  PlayBuffer* buffer = nullptr;
  if (CreatePlayBuffer(device, format, 4000, kPlayBufferStatic, &buffer) != kSoundOk) std::exit(3);
  PlayRegions regions{};
  if (LockPlayBuffer(buffer, 0, 4000, &regions) != kSoundOk) std::exit(4);
  constexpr uint8_t kFrame[4] = {6000 & 0xFF, 6000 >> 8, 2000 & 0xFF, 2000 >> 8};
  for (uint32_t i = 0; i < regions.firstBytes; i += 4) std::copy_n(kFrame, 4, regions.first + i);
  if (UnlockPlayBuffer(buffer, regions) != kSoundOk) std::exit(5);
  if (PlayPlayBuffer(buffer, true) != kSoundOk) std::exit(6);
  SleepMillis(300);
  PlayStatus status{};
  if (PlayBufferStatus(buffer, &status) != kSoundOk || !status.playing) std::exit(7);
  CloseSoundDevice(device);

  const std::vector<int16_t> samples = Samples16(ReadBytes(raw));
  std::remove(raw.c_str());
  const size_t width = expected.size();
  size_t played = 0;
  for (size_t i = 0; i + width <= samples.size(); i += width) {
    const std::vector<int16_t> frame(samples.begin() + i, samples.begin() + i + width);
    if (frame == expected) {
      ++played;
    } else if (frame != std::vector<int16_t>(width, 0)) {
      std::fprintf(stderr, "frame %zu is neither the buffer's nor silence\n", i / width);
      std::exit(8);
    }
  }
  // A few of the callbacks' 512 frames, at least.
  if (played < 2048) {
    std::fprintf(stderr, "%zu frames played\n", played);
    std::exit(9);
  }
  std::exit(0);
}

TEST_F(SdlSoundOutputTest, WithoutAnAudioOutputTheDeviceDoesNotOpen) {
  const struct {
    const char* driver;
    const char* file;
  } cases[] = {
      {"no-such-driver", ""},                  // SDL's audio does not start
      {"disk", "/nonexistent/dir/sound.raw"},  // it starts, but the output cannot be opened
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.driver);
    Environment environment;
    environment.Set("SDL_AUDIODRIVER", c.driver);
    environment.Set("SDL_DISKAUDIOFILE", c.file);
    EXPECT_EXIT(
        {
          SoundDevice* device = nullptr;
          const SoundResult result = OpenSoundDevice(&device);
          std::exit(result == kSoundNoDevice && device == nullptr ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
  }
}

// What the mixer makes reaches SDL's device: the buffer's frames in stereo, or mixed to mono once
// the primary format asks for one channel.
TEST_F(SdlSoundOutputTest, TheMixReachesTheAudioDevice) {
  environment_.Set("SDL_AUDIODRIVER", "disk");
  const WaveFormat mono = {kWaveFormatPcm, 1, 22050, 44100, 2, 16, 0};
  EXPECT_EXIT(PlayThroughSdl({}, {6000, 2000}), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(PlayThroughSdl(mono, {4000}), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace kumo::platform
