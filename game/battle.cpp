// One battle frame: input, field contact, weapons, motion, drawing, hits and the win test. The
// order of the steps is part of the game's feel, so UpdateBattle lists them one by one.
#include <array>

#include "game/controls.h"
#include "game/drawing.h"
#include "game/field.h"
#include "game/game_state.h"
#include "game/geometry.h"
#include "game/hits.h"
#include "game/scenes.h"
#include "game/title_result.h"
#include "game/weapons.h"
#include "kumo/kumo.h"

namespace game {

namespace {

constexpr float kWalkSpeed = 120;
constexpr float kJumpSpeed = 280;
constexpr float kGravity = 300;
constexpr float kFastestFall = 400;
// Two small circles at the feet feel the field.
constexpr float kFootApart = 8, kFootBelowCentre = 26, kFootRadius = 8;

constexpr int kShootingFrame = 4;
constexpr int kSwingFrame = 5;
constexpr int kGuardFrame = 6;
constexpr int kGroundFrames = 4;  // frames 0 to 3, standing or walking

// What one fighter wants and feels in this frame.
struct Step {
  Vector input{0, 0};  // walking and jumping, pixels per second
  bool touched = false;
  const Segment* floor = nullptr;
  const Segment* wall = nullptr;
  bool Grounded() const { return floor != nullptr; }
};

Segment Line(float x1, float y1, float x2, float y2) { return {x1, y1, x2, y2, 0, 0, 0}; }

void ReadWalkKeys(Fighter& f, Step& step) {
  const Controls& keys = ControlsOf(f);
  if (Held(keys.left) && f.swinging == 0) {
    f.facingLeft = 1;
    step.input = {-kWalkSpeed, 0};
  }
  if (Held(keys.right) && f.swinging == 0) {
    f.facingLeft = 0;
    step.input.x += kWalkSpeed;
  }
}

void FeelField(const Fighter& f, Step& step) {
  const float footY = f.y + kFootBelowCentre;
  const std::array<Circle, 2> feet{
      {{f.x - kFootApart, footY, kFootRadius}, {f.x + kFootApart, footY, kFootRadius}}};
  step.touched = TouchField(feet, &step.floor, &step.wall);
}

// A floor holds the fighter and turns its walk along the slope; a wall in the way of its
// motion or its walk stops both.
void StandAndStop(Fighter& f, Step& step) {
  if (!step.touched) return;
  if (step.floor != nullptr) {
    f.vx = 0;
    if (f.jumping == 0) {
      f.vy = 0;
    } else if (f.vy > 0) {  // landed; a fighter still rising keeps its speed
      f.vy = 0;
      f.jumping = 0;
    }
    step.input = RotateVector(step.floor->angle, step.input.x, step.input.y);
  }
  if (step.wall != nullptr) {
    const float footX = f.x;
    const float footY = f.y + kFootBelowCentre;
    const Segment motion = Line(footX, footY, footX + f.vx, footY + f.vy);
    const Segment walk = Line(footX, footY, footX + step.input.x, footY + step.input.y);
    if (SegmentsCross(motion, *step.wall) || SegmentsCross(walk, *step.wall)) {
      step.input = {0, 0};
      f.vx = 0;
    }
  }
}

// The jump acts in the air too, but there only its flag shows: the air drops the input.
void ReadJumpKey(Fighter& f, Step& step) {
  if (!Held(ControlsOf(f).jump)) {
    f.jumpPressed = 0;
  } else if (f.jumpPressed == 0) {
    f.jumpPressed = 1;
    f.jumping = 1;
    step.input.y -= kJumpSpeed;
  }
}

// A shot stops the walk for its own frame.
void ReadFireKey(Fighter& f, Step& step) {
  const Controls& keys = ControlsOf(f);
  if (!Held(keys.fire) || Held(keys.guard)) {
    f.firePressed = 0;
  } else if (f.firePressed == 0) {
    f.firePressed = 1;
    FireBullet(f);
    step.input = {0, 0};
  }
}

// The flag is set only when a swing starts, so a key held through a swing starts the next one
// as soon as it ends.
void ReadSwingKey(Fighter& f) {
  const Controls& keys = ControlsOf(f);
  if (!Held(keys.swing) || Held(keys.guard)) {
    f.swingPressed = 0;
  } else if (f.swingPressed == 0 && f.swinging == 0) {
    f.swinging = 1;
    f.swingAngle = 0;
    f.chargeHeld = 1;
    f.swingPressed = 1;
  }
}

// On a floor the fighter moves at its input velocity; in the air gravity alone acts.
void Move(Fighter& f, const Step& step, float dt) {
  if (step.Grounded()) {
    f.vx += step.input.x;
    f.vy += step.input.y;
  } else {
    f.vy += kGravity * dt;
    if (f.vy > kFastestFall) f.vy = kFastestFall;
  }
  f.x += dt * f.vx;
  f.y += dt * f.vy;
}

void DrawFighter(const Fighter& f, const Step& step) {
  const Controls& keys = ControlsOf(f);
  const int* frames = f.frames.data();
  if (Held(keys.fire) && ClockSince(f.fireDeadline) < 0) {
    DrawFrame(f.x, f.y, f.facingLeft, frames[kShootingFrame]);
  } else if (Held(keys.guard)) {
    DrawFrame(f.x, f.y, f.facingLeft, frames[kGuardFrame]);
  } else if (f.swinging != 0) {
    if (f.level == 2) {
      DrawAnimated(f.x, f.y, f.facingLeft, frames + kShootingFrame, 2, 20);
    } else {
      DrawFrame(f.x, f.y, f.facingLeft, frames[kSwingFrame]);
    }
  } else if (step.Grounded() && f.jumping == 0) {
    DrawAnimated(f.x, f.y, f.facingLeft, frames, kGroundFrames, 2);
  } else {
    DrawFrame(f.x, f.y, f.facingLeft, frames[0]);
  }
}

// Level, hit points and energy: 1P on the top row, 2P below.
void DrawNumbers(const Fighter& p1, const Fighter& p2) {
  const int white = MakeColor(255, 255, 255);
  SetDefaultFontSize(20);
  SetDefaultFontWeight(9);
  struct Number {
    int x, y, value;
  };
  const Number numbers[] = {{251, 60, p1.level}, {251, 95, p2.level},  {305, 60, p1.hp},
                            {305, 95, p2.hp},    {370, 60, p1.energy}, {370, 95, p2.energy}};
  for (const Number& n : numbers) PrintTextFormat(n.x, n.y, white, "%d ", n.value);
}

// Each faces the other; at equal x, 2P faces right and 1P left.
void FaceEachOther(Fighter& p1, Fighter& p2) {
  const bool p2OnTheRight = p2.x - p1.x > 0;
  p2.facingLeft = p2OnTheRight ? 1 : 0;
  p1.facingLeft = p2OnTheRight ? 0 : 1;
}

void DrawLabel(const Fighter& f) {
  PutGraph(static_cast<int>(f.x) - 30, static_cast<int>(f.y) - 100, f.label, 1);
}

// 2P is tested first, so when both fall in one frame only 2P's hp is set to 0.
void TestForWinner(Fighter& p1, Fighter& p2) {
  if (p2.hp < 1) {
    p2.hp = 0;
    DeclareWinner();
  } else if (p1.hp < 1) {
    p1.hp = 0;
    DeclareWinner();
  }
}

}  // namespace

void UpdateBattle() {
  GameState& game = Game();
  Fighter& p1 = game.player1;
  Fighter& p2 = game.player2;
  const float dt = game.frameTime;
  Step step1, step2;

  DrawCentred(game.fieldBackground);
  ReadWalkKeys(p2, step2);
  ReadWalkKeys(p1, step1);
  FeelField(p1, step1);
  FeelField(p2, step2);
  StandAndStop(p2, step2);
  StandAndStop(p1, step1);
  ReadJumpKey(p2, step2);
  ReadJumpKey(p1, step1);
  ReadFireKey(p2, step2);
  UpdateBullets(p2);
  ReadFireKey(p1, step1);
  UpdateBullets(p1);
  ReadSwingKey(p2);
  UpdateSwing(p2);
  ReadSwingKey(p1);
  UpdateSwing(p1);
  Move(p2, step2, dt);
  Move(p1, step1, dt);
  DrawFighter(p2, step2);
  DrawFighter(p1, step1);
  DrawNumbers(p1, p2);
  FaceEachOther(p1, p2);
  DrawLabel(p2);
  DrawLabel(p1);
  CheckHits();
  TestForWinner(p1, p2);
}

}  // namespace game
