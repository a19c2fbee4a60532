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

// What a fighter starts with, and gets back at the end of every result screen.
constexpr int kStartHp = 20;
constexpr int kStartEnergy = 15;
constexpr int kStartLevel = 1;

struct Fighter {
  float x = 0, y = 0;    // centre of the fighter's 192 x 64 picture
  float vx = 0, vy = 0;  // pixels per second, y downwards
  int facingLeft = 0;
  int jumping = 0;
  Segment weapon{};
  int swinging = 0;
  float swingAngle = 0;
  int hp = kStartHp;
  int energy = kStartEnergy;
  int level = kStartLevel;
  int hitCount = 0;
  int dashOrigin = 0;  // x where the running dash began; 0 = no dash
  int chargeHeld = 0;
  int chargeSignal = 0;
  int fireDeadline = 0;    // game clock; the shooting frame shows until then
  int chargeDeadline = 0;  // game clock; the dash is ready from then
  // Press flags: jump, fire and swing act once per press. 2P's jump flag is also the title's
  // Space flag, so the two keys hold each other back across a scene change.
  int jumpPressed = 0;
  int firePressed = 0;
  int swingPressed = 0;
  std::array<BulletSlot, kBulletSlots> bullets{};
  std::array<int, kAnimationFrames> frames{-1, -1, -1, -1, -1, -1, -1};
  int label = -1;
};

}  // namespace game
