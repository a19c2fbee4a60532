#include "fighter.h"

#include <algorithm>
#include <cmath>

namespace media {

namespace {

const Rgba kOutline = Hex(0x1a1424);
const Rgba kSkin = Hex(0xffd6b0);
const Rgba kSkinShadow = Hex(0xe9ab84);
const Rgba kSteel = Hex(0xe4e9f2);
const Rgba kSteelDark = Hex(0x9aa3b5);
const Rgba kGold = Hex(0xffc93c);
const Rgba kLeather = Hex(0x5a3419);

enum Item { kNone, kOrb, kSword, kGuard };

// Where the limbs go in one frame; points are in fighter units, y up negative.
struct Pose {
  float hipY;     // hip joint height (negative)
  float lean;     // upper body tilt forward, degrees
  Vec frontFoot;  // ankle of the near leg
  Vec backFoot;   // ankle of the far leg
  Vec frontHand;  // near hand (the sword hand)
  Vec backHand;   // far hand (the shield hand)
  Item item;
  float capeSwing;  // how far the cape's hem trails behind
};

const Pose kPoses[kFighterFrames] = {
    {-18.6f, 2, {5.5f, -3}, {-5.5f, -3}, {-3.5f, -21}, {5, -22}, kNone, 1.5f},
    {-19.6f, 1, {0.5f, -3}, {-2, -7}, {-0.5f, -21}, {1.5f, -21.5f}, kNone, 0.5f},
    {-18.6f, 2, {-5.5f, -3}, {5.5f, -3}, {5, -22}, {-3.5f, -21}, kNone, 1.5f},
    {-19.6f, 1, {-2, -7}, {0.5f, -3}, {1.5f, -21.5f}, {-0.5f, -21}, kNone, 0.5f},
    {-18.2f, 5, {7, -3}, {-6.5f, -3}, {15.5f, -31}, {-4, -23}, kOrb, 3},
    {-17.0f, 9, {9, -3}, {-8.5f, -3}, {14, -28}, {-6, -25}, kSword, 4},
    {-16.4f, -3, {6, -3}, {-6, -3}, {1, -22}, {9.5f, -28}, kGuard, 1},
};

// Knee or elbow of a two-part limb from `root` to `end`; `bend` picks the side it points to.
Vec Joint(Vec root, Vec end, float upper, float lower, float bend) {
  const Vec d = end - root;
  const float dist = std::min(Length(d), upper + lower - 0.01f);
  const float base = std::atan2(d.y, d.x);
  const float cosA = (upper * upper + dist * dist - lower * lower) / (2 * upper * dist);
  const float a = std::acos(std::max(-1.0f, std::min(1.0f, cosA)));
  const float angle = base + (bend > 0 ? -a : a);
  return root + Vec{std::cos(angle), std::sin(angle)} * upper;
}

// Places a point given relative to the hip, turned about it by the pose's lean.
struct UpperBody {
  Vec hip;
  float lean;
  Vec operator()(Vec p) const {
    const float r = lean * 3.14159265f / 180.0f;
    return hip + Vec{p.x * std::cos(r) - p.y * std::sin(r), p.x * std::sin(r) + p.y * std::cos(r)};
  }
};

void DrawLeg(Painter& p, const FighterColours& c, Vec hip, Vec ankle, float shade) {
  const Vec knee = Joint(hip, ankle, 8.5f, 8.5f, 1);
  const Rgba trousers = Shade(c.trousers, shade);
  p.Outlined(Capsule(hip, knee, 3.3f, 2.9f), trousers, kOutline);
  p.Outlined(Capsule(knee, ankle, 2.9f, 2.6f), trousers, kOutline);
  // The boot: a rounded box whose sole is flat on the ankle's ground line.
  const Vec toe = ankle + Vec{2.2f, 0};
  const Shape boot = Union(RoundBox(toe + Vec{0, 0.6f}, 4.3f, 2.4f, 1.6f),
                           RoundBox(ankle + Vec{0, -1.2f}, 2.9f, 3.2f, 1.2f));
  p.Outlined(boot, Shade(c.boots, shade), kOutline);
  p.Fill(RoundBox(ankle + Vec{0, -3.6f}, 3.0f, 0.8f, 0.5f), Shade(c.trim, shade * 0.85f));
}

void DrawArm(Painter& p, const FighterColours& c, Vec shoulder, Vec hand, float shade) {
  const Vec elbow = Joint(shoulder, hand, 6.8f, 6.6f, -1);
  p.Outlined(Capsule(shoulder, elbow, 2.9f, 2.5f), Shade(c.tunic, shade), kOutline);
  p.Outlined(Capsule(elbow, hand, 2.4f, 2.1f), Shade(kSkin, shade), kOutline);
  p.Fill(Capsule(Lerp(elbow, hand, 0.5f), Lerp(elbow, hand, 0.7f), 2.3f), Shade(c.trim, shade));
  p.Outlined(Circle(hand, 2.2f), Shade(kLeather, shade * 1.4f), kOutline, 0.8f);
}

void DrawShield(Painter& p, const FighterColours& c, Vec centre, float rx, float ry) {
  p.Outlined(Ellipse(centre, rx, ry), kSteelDark, kOutline);
  p.Fill(Ellipse(centre, rx - 1.2f, ry - 1.2f), c.tunic);
  p.Fill(Intersect(Ellipse(centre, rx - 1.2f, ry - 1.2f),
                   Ellipse(centre + Vec{-rx * 0.5f, -ry * 0.55f}, rx * 0.9f, ry * 0.7f)),
         Shade(c.tunic, 1.25f));
  p.Outlined(Ellipse(centre, std::max(1.0f, rx * 0.3f), ry * 0.3f), c.emblem, kOutline, 0.5f);
}

void DrawSword(Painter& p, Vec hand, float degrees, float length) {
  const Vec dir = Polar(degrees, 1);
  const Vec across = Polar(degrees + 90, 1);
  const Vec tip = hand + dir * length;
  p.Outlined(Capsule(hand - dir * 3.5f, hand - dir * 1.5f, 1.1f), kLeather, kOutline, 0.7f);
  p.Outlined(Polygon({hand + dir * 1.6f + across * 1.6f, tip - dir * 2.5f + across * 1.1f, tip,
                      tip - dir * 2.5f - across * 1.1f, hand + dir * 1.6f - across * 1.6f}),
             kSteel, kOutline, 0.8f);
  p.Fill(Capsule(hand + dir * 2.0f - across * 0.45f, tip - dir * 3.0f - across * 0.3f, 0.35f),
         kSteelDark);
  p.Outlined(Capsule(hand + dir * 1.4f + across * 3.2f, hand + dir * 1.4f - across * 3.2f, 1.0f),
             kGold, kOutline, 0.7f);
}

// A white-hot ball of light in the open hand, rimmed with the fighter's colour.
void DrawOrb(Painter& p, const FighterColours& c, Vec centre) {
  for (int i = 0; i < 8; ++i) {
    const Vec ray = Polar(i * 45.0f + 22.5f, 1);
    p.Fill(Capsule(centre + ray * 5.0f, centre + ray * (i % 2 ? 7.5f : 9.5f), 0.7f, 0.2f),
           WithAlpha(kGold, 0.9f));
  }
  p.Fill(Circle(centre, 6.5f), WithAlpha(c.emblem, 0.35f));
  p.Fill(Circle(centre, 5.0f), WithAlpha(Mix(c.tunic, kGold, 0.6f), 0.85f));
  p.Fill(Circle(centre, 3.4f), Hex(0xfff6c8));
  p.Fill(Circle(centre + Vec{-0.8f, -0.8f}, 1.5f), Hex(0xffffff));
}

// The trail of the swing: from straight up round to the front, brightest at the sword.
void DrawSwoosh(Painter& p, const FighterColours& c, Vec pivot) {
  const Shape band = Ring(pivot, 17.5f, 27.5f, -105, 18);
  p.Fill(band, [&](Vec q) {
    const Vec d = q - pivot;
    const float angle = std::atan2(d.y, d.x) * 180.0f / 3.14159265f;
    const float t = std::max(0.0f, std::min(1.0f, (angle + 105) / 123));
    const float rim = std::max(0.0f, 1 - std::fabs(Length(d) - 26.0f) / 6.0f);
    return WithAlpha(Mix(Mix(c.emblem, c.tunic, 0.5f), Hex(0xffffff), rim), 0.2f + 0.75f * t * t);
  });
}

}  // namespace

FighterColours Player1Colours() {
  return {Hex(0x2f6fe4), Hex(0x1d3f9a), Hex(0x122a68), Hex(0xffc93c), Hex(0x7b4a22),
          Hex(0xffc93c), Hex(0x2a3056), Hex(0x70401f), Hex(0xffd54a)};
}

FighterColours Player2Colours() {
  return {Hex(0xdc3038), Hex(0x751521), Hex(0x4c0c16), Hex(0xe9edf4), Hex(0x2b2236),
          Hex(0xf4f4f8), Hex(0x3e2a2f), Hex(0x4a2a1b), Hex(0xffffff)};
}

void DrawFighter(Painter& p, const FighterColours& c, int frame) {
  const Pose& pose = kPoses[frame];
  const UpperBody up{{0, pose.hipY}, pose.lean};
  const Vec hip = up({0, 0});
  const Vec backShoulder = up({-2.5f, -14.5f});
  const Vec frontShoulder = up({1.5f, -14.5f});
  const Vec headCentre = up({2.0f, -24.5f});

  // Cape, behind everything; its hem trails back and flutters from frame to frame.
  const float swing = pose.capeSwing + (frame % 2 ? 0.0f : 1.0f);
  const Shape cape =
      Polygon({up({-4.5f, -15.5f}), up({2.5f, -15.5f}), up({-2, -3}), Vec{-6 - swing, -8.5f},
               Vec{-9.5f - swing, -6.5f}, Vec{-12.5f - swing * 1.6f, -9.0f}, up({-8, -9})});
  p.Outlined(cape, c.capeInside, kOutline);
  p.Fill(Intersect(cape, Circle(up({-2, -17}), 9.5f)), c.cape);

  // Sheathed sword across the back while the hands are busy with other things.
  if (pose.item != kSword) {
    p.Outlined(Capsule(up({-7.5f, -18.5f}), up({-4.0f, -13.0f}), 1.1f), kLeather, kOutline, 0.7f);
    p.Outlined(Capsule(up({-9.5f, -16.5f}), up({-5.2f, -19.7f}), 0.9f), kGold, kOutline, 0.7f);
  }

  // Far arm with its shield, then the far leg, a little darker as they are in shadow.
  if (pose.item != kGuard) {
    DrawArm(p, c, backShoulder, pose.backHand, 0.78f);
    DrawShield(p, c, pose.backHand + Vec{-1.5f, 0.5f}, 3.0f, 6.5f);
  }
  DrawLeg(p, c, hip + Vec{-1.5f, 0}, pose.backFoot, 0.72f);

  // Tunic with its skirt, shaded on the back, belt and buckle.
  const Shape tunic = Polygon({up({-5.2f, -15.8f}), up({4.6f, -15.8f}), up({5.6f, -3}),
                               up({7.0f, 3.2f}), up({-7.2f, 3.2f}), up({-5.8f, -3})});
  p.Outlined(tunic, c.tunic, kOutline);
  p.Fill(Intersect(tunic, Circle(up({-9.5f, -4}), 7.5f)), Shade(c.tunic, 0.78f));
  p.Fill(Intersect(tunic, Circle(up({3.5f, -13.5f}), 4.0f)), Shade(c.tunic, 1.22f));
  p.Fill(Intersect(tunic, Polygon({up({-8, 1.8f}), up({8, 1.8f}), up({8, 4}), up({-8, 4})})),
         c.trim);
  p.Outlined(
      Polygon({up({-6.1f, -4.6f}), up({5.9f, -4.6f}), up({6.0f, -1.8f}), up({-6.2f, -1.8f})}),
      kLeather, kOutline, 0.6f);
  p.Outlined(RoundBox(up({3.8f, -3.2f}), 1.5f, 1.5f, 0.4f), kGold, kOutline, 0.5f);
  p.Outlined(Polygon({up({-1.0f, -12.5f}), up({1.6f, -12.5f}), up({0.3f, -9.0f})}), c.emblem,
             kOutline, 0.5f);

  DrawLeg(p, c, hip + Vec{1.0f, 0}, pose.frontFoot, 1.0f);

  // Head: face, hair over the top and back, headband with its tails blowing behind.
  p.Outlined(Capsule(up({1.0f, -15}), up({1.5f, -18}), 2.2f), kSkinShadow, kOutline, 0.7f);
  const Shape head = Circle(headCentre, 8.6f);
  p.Outlined(head, kSkin, kOutline);
  p.Fill(Intersect(head, Circle(headCentre + Vec{-7.0f, 7.5f}, 5.5f)), kSkinShadow);
  const Shape hair =
      Union(Intersect(Circle(headCentre + Vec{-3.2f, -4.6f}, 8.4f), Grow(head, 1.0f)),
            Polygon({headCentre + Vec{-6.5f, -5.5f}, headCentre + Vec{-12.0f, -3.0f},
                     headCentre + Vec{-8.8f, 0.0f}, headCentre + Vec{-10.8f, 3.2f},
                     headCentre + Vec{-7.5f, 3.2f}, headCentre + Vec{-6.0f, 0.0f}}));
  p.Outlined(hair, c.hair, kOutline);
  p.Fill(Intersect(hair, Circle(headCentre + Vec{-1.0f, -9.0f}, 4.0f)), Shade(c.hair, 1.35f));
  // Bangs: points over the forehead, stopping above the eye.
  p.Outlined(Polygon({headCentre + Vec{-1.0f, -7.8f}, headCentre + Vec{7.6f, -5.6f},
                      headCentre + Vec{8.0f, -2.6f}, headCentre + Vec{6.2f, -4.0f},
                      headCentre + Vec{4.6f, -2.2f}, headCentre + Vec{3.4f, -4.4f},
                      headCentre + Vec{1.2f, -2.6f}, headCentre + Vec{-0.5f, -4.5f}}),
             c.hair, kOutline, 0.6f);
  p.Outlined(Ellipse(headCentre + Vec{-1.8f, 1.4f}, 1.5f, 2.0f), kSkin, kOutline, 0.6f);
  p.Outlined(Intersect(Grow(head, 0.8f),
                       Polygon({headCentre + Vec{-12, -7.6f}, headCentre + Vec{12, -6.2f},
                                headCentre + Vec{12, -4.2f}, headCentre + Vec{-12, -5.4f}})),
             c.headband, kOutline, 0.6f);
  const Vec knot = headCentre + Vec{-8.3f, -6.0f};
  p.Outlined(Capsule(knot, knot + Vec{-6.5f - swing, 2.5f + swing * 0.4f}, 1.2f, 0.7f), c.headband,
             kOutline, 0.6f);
  p.Outlined(Capsule(knot, knot + Vec{-5.5f - swing, -1.2f}, 1.1f, 0.6f), c.headband, kOutline,
             0.6f);
  // Eye with a glint, brow and mouth, looking the way the fighter faces.
  const Vec eye = headCentre + Vec{4.4f, 0.4f};
  p.Fill(Ellipse(eye, 1.35f, 2.2f), kOutline);
  p.Fill(Circle(eye + Vec{0.35f, -0.9f}, 0.6f), Hex(0xffffff));
  p.Fill(Capsule(headCentre + Vec{5.0f, 5.2f}, headCentre + Vec{6.9f, 4.8f}, 0.4f), Hex(0xa0504a));
  p.Fill(Ellipse(headCentre + Vec{2.0f, 3.6f}, 1.5f, 0.8f), Hex(0xff9a8a, 0.6f));

  // The shield brought up in front of the body when guarding.
  if (pose.item == kGuard) {
    DrawArm(p, c, backShoulder, pose.backHand, 0.9f);
    DrawShield(p, c, pose.backHand + Vec{2.5f, 0.5f}, 4.2f, 10.0f);
    p.Fill(Capsule(pose.backHand + Vec{5.5f, -7}, pose.backHand + Vec{5.5f, -3}, 0.5f),
           Hex(0xffffff, 0.85f));
  }

  // Near arm last, with what it holds.
  if (pose.item == kSword) {
    DrawSwoosh(p, c, frontShoulder + Vec{-1, 1});
    DrawArm(p, c, frontShoulder, pose.frontHand, 1.0f);
    DrawSword(p, pose.frontHand, 8, 22);
  } else {
    DrawArm(p, c, frontShoulder, pose.frontHand, 1.0f);
    if (pose.item == kOrb) DrawOrb(p, c, pose.frontHand + Vec{3.5f, -0.5f});
  }
}

Canvas FighterSheet(const FighterColours& colours) {
  Canvas sheet(kFighterCellWidth * kFighterFrames, kFighterCellHeight);
  for (int frame = 0; frame < kFighterFrames; ++frame) {
    Painter painter(sheet,
                    {kFighterCellWidth * frame + kFighterCellWidth / 2.0f,
                     static_cast<float>(kFighterCellHeight)},
                    1.0f);
    DrawFighter(painter, colours, frame);
  }
  return sheet;
}

}  // namespace media
