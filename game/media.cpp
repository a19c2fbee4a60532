#include "game/media.h"

#include <array>

#include "game/battle_reset.h"
#include "game/game_state.h"
#include "kumo/kumo.h"

namespace game {

namespace {

enum class Kind { Picture, OptionalPicture, Grid, Sound };

struct MediaEntry {
  const char* path;
  Kind kind;
  int* handles;  // one, or a grid's cells
  int cells = 0, across = 0, down = 0, cellWidth = 0, cellHeight = 0;
};

// Every sound gets three play buffers, so that it can overlap itself up to three times.
constexpr int kSoundPlayBuffers = 3;

std::array<MediaEntry, 19> MediaTable(GameState& game) {
  Media& m = game.media;
  return {{
      {"media\\chara\\yusya.png", Kind::Grid, game.player2.frames.data(), 7, 7, 1, 192, 64},
      {"media\\chara\\yusya2.png", Kind::Grid, game.player1.frames.data(), 7, 7, 1, 192, 64},
      {"media\\weapon01.bmp", Kind::Picture, &m.bulletPicture},
      {"media\\bullet01.bmp", Kind::Picture, &m.bulletSpare},
      {"media\\opening.png", Kind::Picture, &m.titlePicture},
      {"media\\clash01.bmp", Kind::Grid, m.clashFrames.data(), 3, 3, 1, 64, 106},
      {"media\\hit01.bmp", Kind::Picture, &m.hitPicture},
      {"media\\chara\\1p.png", Kind::OptionalPicture, &game.player1.label},
      {"media\\chara\\2p.png", Kind::OptionalPicture, &game.player2.label},
      {"media\\sentou1.mp3", Kind::Sound, &m.battleMusic},
      {"media\\power33.wav", Kind::Sound, &m.chargeReadySound},
      {"media\\fire.mp3", Kind::Sound, &m.fireSound},
      {"media\\hit_p07.wav", Kind::Sound, &m.hitP07Sound},
      {"media\\slash.mp3", Kind::Sound, &m.slashSound},
      {"media\\levelup.mp3", Kind::Sound, &m.levelUpSound},
      {"media\\hit.mp3", Kind::Sound, &m.hitSound},
      {"media\\start.mp3", Kind::Sound, &m.startSound},
      {"media\\opening.mp3", Kind::Sound, &m.titleMusic},
      {"media\\win.mp3", Kind::Sound, &m.winSound},
  }};
}

// Loads one entry into its handles; false when a required file failed.
bool Load(const MediaEntry& entry) {
  switch (entry.kind) {
    case Kind::Grid:
      return LoadGraphGrid(entry.path, entry.cells, entry.across, entry.down, entry.cellWidth,
                           entry.cellHeight, entry.handles, 0) != -1;
    case Kind::Picture:
      *entry.handles = LoadGraphFile(entry.path, 0);
      return *entry.handles != -1;
    case Kind::OptionalPicture:
      *entry.handles = LoadGraphFile(entry.path, 0);
      return true;
    case Kind::Sound:
      *entry.handles = LoadSoundFile(entry.path, kSoundPlayBuffers, -1);
      return *entry.handles != -1;
  }
  return false;
}

}  // namespace

int LoadMedia() {
  for (const MediaEntry& entry : MediaTable(Game())) {
    if (!Load(entry)) return -1;
  }
  ResetBattle();
  return 1;
}

}  // namespace game
