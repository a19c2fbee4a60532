#include "game/hits.h"

#include "game/controls.h"
#include "game/field.h"
#include "game/game_state.h"
#include "game/geometry.h"
#include "game/sounds.h"

namespace game {

namespace {

constexpr float kBodyRadius = 26;
constexpr float kBulletHalfLine = 28;
constexpr float kPushBack = 5;
constexpr int kTopLevel = 5;
constexpr int kHitsPerLevel = 5;
constexpr int kHpPerLevel = 15;
constexpr int kEnergyPerLevel = 9;

bool Touches(const Segment& line, const Circle& body) {
  return CircleTouchesSegment(line, body.cx, body.cy, body.r);
}

Segment BulletLine(const BulletSlot& b) {
  return {b.x - kBulletHalfLine, b.y, b.x + kBulletHalfLine, b.y, 0, 0, 0};
}

// A guarded hit only makes the block sound; any other costs the target a point and pushes it
// away from the way it faces.
void ResolveHit(Fighter& attacker, Fighter& target) {
  const Media& media = Game().media;
  if (Held(ControlsOf(target).guard)) {
    PlayOnce(media.fireSound);
    return;
  }
  target.hp -= 1;
  target.x += target.facingLeft != 0 ? kPushBack : -kPushBack;
  attacker.hitCount += 1;
  PlayOnce(media.hitSound);
}

void BulletsAgainst(Fighter& attacker, Fighter& target, const Circle& body) {
  for (BulletSlot& bullet : attacker.bullets) {
    if (bullet.active == 0 || !Touches(BulletLine(bullet), body)) continue;
    ResolveHit(attacker, target);
    bullet.active = 0;
  }
}

// A sword hit ends the swing; a dash goes on and may hit again next frame.
void WeaponAgainst(Fighter& attacker, Fighter& target, const Circle& body) {
  if (!Touches(attacker.weapon, body)) return;
  ResolveHit(attacker, target);
  attacker.swinging = 0;
}

void ClampToScreen(Fighter& f) {
  if (f.x < 0) {
    f.x = 2;
  } else if (f.x > 640) {
    f.x = 638;
  }
}

}  // namespace

void CheckHits() {
  GameState& game = Game();
  Fighter& p1 = game.player1;
  Fighter& p2 = game.player2;
  // Taken once: push-backs during this call do not move the bodies the later tests use.
  const Circle body1{p1.x, p1.y, kBodyRadius};
  const Circle body2{p2.x, p2.y, kBodyRadius};

  BulletsAgainst(p2, p1, body1);
  BulletsAgainst(p1, p2, body2);
  WeaponAgainst(p2, p1, body1);
  WeaponAgainst(p1, p2, body2);
  CheckLevelUp();
  ClampToScreen(p2);
  ClampToScreen(p1);
}

void CheckLevelUp() {
  GameState& game = Game();
  for (Fighter* f : {&game.player2, &game.player1}) {
    // Equality, not "at least": hits that jump past the mark in one frame miss the level.
    if (f->hitCount != kHitsPerLevel * f->level || f->level >= kTopLevel) continue;
    f->level += 1;
    f->hitCount = 0;
    f->hp = kHpPerLevel * f->level;
    f->energy = kEnergyPerLevel * f->level;
    PlayOnce(game.media.levelUpSound);
  }
}

}  // namespace game
