// The two fighters and their bullets.
#pragma once

#include <array>

#include "game/segment.h"

namespace game {

struct BulletSlot {
  int active = 0;  // 1 while the bullet flies
  float x = 0, y = 0;
  float vx = 0, vy = 0;  // pixels per second; vy stays 0
  int facingLeft = 0;    // the firing fighter's facing at the shot
};

constexpr int kBulletSlots = 3;
constexpr int kAnimationFrames = 7;

struct Fighter {
  float x = 0, y = 0;    // centre of the fighter's 192 x 64 picture
  float vx = 0, vy = 0;  // pixels per second, y downwards
  int facingLeft = 0;
  int jumping = 0;
  Segment weapon{};
  int swinging = 0;
  float swingAngle = 0;
  int hp = 20;
  int energy = 15;
  int level = 1;
  int hitCount = 0;
  int dashOrigin = 0;  // x where the running dash began; 0 = no dash
  int chargeHeld = 0;
  int chargeSignal = 0;
  int fireDeadline = 0;    // game clock
  int chargeDeadline = 0;  // game clock
  std::array<BulletSlot, kBulletSlots> bullets{};
  std::array<int, kAnimationFrames> frames{-1, -1, -1, -1, -1, -1, -1};
  int label = -1;
};

}  // namespace game
