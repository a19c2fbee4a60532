// The game's state for the whole run: the scene, the frame time, the fighters, the field and
// every media handle.
#pragma once

#include <array>

#include "game/field.h"
#include "game/fighter.h"

namespace game {

enum Scene { Title = 0, Battle = 1, Result = 3 };

// Media handles that belong to no fighter, one per entry of the media table.
struct Media {
  int bulletPicture = -1;  // every bullet in flight
  int bulletSpare = -1;
  int titlePicture = -1;
  std::array<int, 3> clashFrames{-1, -1, -1};
  int hitPicture = -1;
  int battleMusic = -1;
  int chargeReadySound = -1;
  int fireSound = -1;
  int hitP07Sound = -1;
  int slashSound = -1;
  int levelUpSound = -1;
  int hitSound = -1;
  int startSound = -1;
  int titleMusic = -1;
  int winSound = -1;
};

struct GameState {
  int scene = Title;
  int lastTick = 0;          // game clock of the previous frame
  float frameTime = 0.017f;  // seconds the previous frame took
  Fighter player1;
  Fighter player2 = [] {
    Fighter fighter;
    fighter.facingLeft = 1;  // 2P starts on the right, facing 1P
    return fighter;
  }();
  Media media;
  Field field;               // refilled by every ResetBattle
  int fieldBackground = -1;  // loaded by the first ResetBattle
  int sparePicture = -1;     // likewise; never drawn
  bool resetPicturesLoaded = false;
  int titleMusicOn = 0;    // 1 once the title music runs; cleared on the way back to the title
  int winSoundOn = 0;      // 1 once this battle's winner was declared; cleared by the title
  int resultDeadline = 0;  // game clock at which the result screen ends
};

GameState& Game();

// The game's clock: the library's millisecond tick with its top bit cleared.
int GameClock();

// The game clock `millis` from now, wrapped into the clock's 31 bits.
int ClockAfter(int millis);

// Milliseconds from `deadline` to now: negative while it lies ahead. Taken modulo the clock's
// 31 bits, so a deadline set just before the clock wraps still falls due on time.
int ClockSince(int deadline);

}  // namespace game
