#include "game/weapons.h"

#include "game/controls.h"
#include "game/drawing.h"
#include "game/game_state.h"
#include "game/geometry.h"
#include "game/sounds.h"

namespace game {

namespace {

constexpr int kBulletCost = 2;
constexpr float kBulletSpeed = 500;
constexpr int kFirePoseMillis = 1000;
// Bullets fly on until they are well outside the screen.
constexpr float kBulletLeft = -64, kBulletRight = 704, kBulletTop = -64, kBulletBottom = 544;

constexpr float kFullTurn = 6.2831850f;
constexpr float kQuarterTurn = 1.5707963f;
constexpr float kSwordLength = 74;
constexpr float kSwordBelowCentre = 32;
constexpr int kChargeMillis = 2000;

constexpr float kDashStep = 5;  // per frame, not per second
constexpr int kDashReach = 100;
constexpr float kDashLineNear = 5, kDashLineFar = 79;
constexpr float kDashRightEdge = 639, kDashLeftEdge = 1;

// Both ends at the fighter: no weapon out.
Segment NoWeapon(const Fighter& f) { return {f.x, f.y, f.x, f.y, 0, 0, 0}; }

}  // namespace

void FireBullet(Fighter& f) {
  if (f.energy - kBulletCost < 0) {
    f.fireDeadline = ClockAfter(kFirePoseMillis);
    return;
  }
  for (BulletSlot& bullet : f.bullets) {
    if (bullet.active != 0) continue;
    bullet = {1, f.x, f.y, f.facingLeft != 0 ? -kBulletSpeed : kBulletSpeed, 0, f.facingLeft};
    f.fireDeadline = ClockAfter(kFirePoseMillis);
    PlayOnce(Game().media.fireSound);
    f.energy -= kBulletCost;
    return;
  }
}

void UpdateBullets(Fighter& f) {
  const GameState& game = Game();
  const float dt = game.frameTime;
  for (BulletSlot& bullet : f.bullets) {
    if (bullet.active == 0) continue;
    bullet.x += dt * bullet.vx;
    bullet.y += dt * bullet.vy;
    DrawFrame(bullet.x, bullet.y, bullet.facingLeft, game.media.bulletPicture);
    if (!(bullet.x > kBulletLeft) || !(bullet.x < kBulletRight) || !(bullet.y > kBulletTop) ||
        !(bullet.y < kBulletBottom)) {
      bullet.active = 0;
    }
  }
}

void UpdateSwing(Fighter& f) {
  // The angle turns every frame; a new swing restarts it at 0.
  const float turn = kFullTurn * Game().frameTime;
  f.swingAngle += f.facingLeft != 0 ? -turn : turn;
  if (f.swinging == 1) {
    const Vector tip = RotateVector(f.swingAngle, 0, -kSwordLength);
    const float baseY = f.y + kSwordBelowCentre;
    f.weapon = {f.x, baseY, f.x + tip.x, baseY + tip.y, 0, 0, 0};
    f.chargeDeadline = ClockAfter(kChargeMillis);
    // Past a quarter turn the swing is over; this frame's line still takes part in the hits.
    if (f.swingAngle > kQuarterTurn || f.swingAngle < -kQuarterTurn) f.swinging = 0;
  } else {
    f.weapon = NoWeapon(f);
  }
  if (f.level > 2) UpdateDash(f);
}

void UpdateDash(Fighter& f) {
  const bool held = Held(ControlsOf(f).swing);
  const int sinceCharged = ClockSince(f.chargeDeadline);
  if (sinceCharged < 0) {
    f.chargeSignal = 1;
    if (!held) f.chargeHeld = 0;  // let go too early: the charge is lost
  }
  if (sinceCharged > 0 && f.chargeHeld == 1) {
    if (f.chargeSignal == 1) {
      PlayOnce(Game().media.chargeReadySound);
      f.chargeSignal = 0;
    }
    if (!held) {
      f.chargeHeld = 0;
      f.dashOrigin = static_cast<int>(f.x);
    }
  }
  if (f.dashOrigin == 0) return;

  // The dash follows this frame's facing, so one that passes the opponent turns back.
  bool over;
  if (f.facingLeft == 0) {
    f.x += kDashStep;
    f.weapon = {f.x + kDashLineNear, f.y, f.x + kDashLineFar, f.y, 0, 0, 0};
    over = f.x > f.dashOrigin + kDashReach || f.x > kDashRightEdge;
  } else {
    f.x -= kDashStep;
    f.weapon = {f.x - kDashLineNear, f.y, f.x - kDashLineFar, f.y, 0, 0, 0};
    over = f.x < f.dashOrigin - kDashReach || f.x < kDashLeftEdge;
  }
  if (over) {
    f.dashOrigin = 0;
    f.weapon = NoWeapon(f);
  }
}

}  // namespace game
