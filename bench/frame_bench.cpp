// The battle scene's whole frame on the headless backend: clearing the screen, the game's own
// battle update with both fighters drawn, and presenting, in software mode and in hardware mode
// without a 3D device. Beside them memcpy of the bytes such a frame must touch at least.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/peer_ratio.h"
#include "game/game_state.h"
#include "game/media.h"
#include "game/scenes.h"
#include "game/title_result.h"
#include "kumo/kumo.h"
#include "kumo/render/display.h"

namespace {

namespace fs = std::filesystem;

constexpr int kScreenWidth = 640, kScreenHeight = 480;
constexpr int kSpriteWidth = 192, kSpriteHeight = 64;  // a fighter's animation cell
constexpr int kLabelWidth = 60, kLabelHeight = 72;     // "1P" and "2P" above them

// A temporary working directory with a link to the source tree's media, so that the game's
// "media\..." paths resolve and the library's Log.txt lands out of the way.
class MediaDirectory {
 public:
  MediaDirectory() : previous_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "kumo-frame-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    path_ = pattern;
    fs::create_directory_symlink(fs::path(KUMO_SOURCE_DIR) / "media", path_ / "media");
    fs::current_path(path_);
  }
  ~MediaDirectory() {
    if (path_.empty()) return;
    fs::current_path(previous_);
    fs::remove_all(path_);  // removes the link, not the media it points to
  }
  bool Ready() const { return !path_.empty(); }
  const fs::path& Path() const { return path_; }

 private:
  fs::path previous_;
  fs::path path_;
};

// The library started as the game starts it, windowed, with the media loaded and a battle
// begun; ended again when it goes.
class RunningGame {
 public:
  explicit RunningGame(bool software) {
    if (!directory_.Ready()) {
      error_ = "no temporary directory";
      return;
    }
    // The window-class claim is kept in the runtime directory; a private one keeps a game or
    // test running elsewhere on the machine from refusing this start.
    setenv("XDG_RUNTIME_DIR", directory_.Path().c_str(), 1);
    if (software) kumo::SetUseSoftwareRender(0);
    ChangeWindowMode(1);
    if (InitLibrary() == -1) {
      error_ = "InitLibrary failed";
      return;
    }
    started_ = true;
    if (kumo::IsSoftwareRender() != (software ? 1 : 0)) {
      // Software mode, once chosen, holds for the rest of the process.
      error_ = "the library did not start in the mode asked for";
      return;
    }
    game::Game() = game::GameState{};
    SetDrawTarget(-2);
    if (game::LoadMedia() == -1) {
      error_ = "LoadMedia failed";
      return;
    }
    game::StartBattle();
  }
  ~RunningGame() {
    if (started_) EndLibrary();
  }
  // Why the game could not be started, or none.
  const char* Error() const { return error_; }

 private:
  MediaDirectory directory_;
  bool started_ = false;
  const char* error_ = nullptr;
};

void RunBattleFrame(benchmark::State& state, bool software) {
  RunningGame running(software);
  if (running.Error() != nullptr) {
    state.SkipWithError(running.Error());
    return;
  }
  for (auto _ : state) {
    ClearScreen();
    game::UpdateBattle();
    FlipScreen();
  }
  state.SetItemsProcessed(state.iterations());
}

// The bytes per pixel of the screen the game gets on this display.
int ScreenPixelBytes() {
  RunningGame running(kumo::IsSoftwareRender() != 0);
  if (running.Error() != nullptr) return 0;
  return static_cast<int>(GetScreenPixelFormat()->dwRGBBitCount) / 8;
}

// Copies a picture of `width` x `height` pixels, stored without gaps, to `dest` at (x, y).
void CopyPicture(uint8_t* dest, const uint8_t* src, int width, int height, int x, int y,
                 int bytes) {
  const size_t pitch = static_cast<size_t>(kScreenWidth) * bytes;
  const size_t line = static_cast<size_t>(width) * bytes;
  for (int row = 0; row < height; ++row) {
    std::memcpy(dest + (y + row) * pitch + x * bytes, src + row * line, line);
  }
}

// The least one battle frame must do: fill the back buffer, copy the background over it, copy
// two fighters and two labels, and copy the back buffer to the window.
void RunFrameBound(benchmark::State& state) {
  const int bytes = ScreenPixelBytes();
  if (bytes == 0) {
    state.SkipWithError("the library did not start");
    return;
  }
  const size_t screen = static_cast<size_t>(kScreenWidth) * kScreenHeight * bytes;
  std::vector<uint8_t> back(screen), background(screen, 1), window(screen);
  const std::vector<uint8_t> sprite(static_cast<size_t>(kSpriteWidth) * kSpriteHeight * bytes, 2);
  const std::vector<uint8_t> label(static_cast<size_t>(kLabelWidth) * kLabelHeight * bytes, 3);
  for (auto _ : state) {
    std::memset(back.data(), 0, screen);
    std::memcpy(back.data(), background.data(), screen);
    for (const int x : {104, 304}) {
      CopyPicture(back.data(), sprite.data(), kSpriteWidth, kSpriteHeight, x, 300, bytes);
      CopyPicture(back.data(), label.data(), kLabelWidth, kLabelHeight, x + 66, 200, bytes);
    }
    std::memcpy(window.data(), back.data(), screen);
    benchmark::DoNotOptimize(window.data());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(std::to_string(8 * bytes) + "-bit screen");
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything reads it: the whole library runs headless.
  setenv("KUMO_PLATFORM", "headless", 1);
  // Hardware first: software mode, once on, stays on for the process.
  for (const bool software : {false, true}) {
    const std::string group = software ? "battle-frame/software" : "battle-frame/hardware";
    benchmark::RegisterBenchmark((group + "/kumo").c_str(), RunBattleFrame, software);
    benchmark::RegisterBenchmark((group + "/memcpy").c_str(), RunFrameBound);
  }
  // The present's waits yield the processor, which on a busy machine runs others meanwhile:
  // the frame's work is its CPU time.
  return kumo::bench::RunWithPeerRatios(argc, argv, {"frames/s", 1, true});
}
