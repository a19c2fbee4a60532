// Bullets, the sword, the dash, hits with guarding and push-back, levels and the edge clamp.
#include "game/weapons.h"

#include <cmath>

#include "game/hits.h"
#include "tests/game/battle_fixture.h"

namespace game::testing {
namespace {

// A bullet of `owner` flying at (x, y).
void Bullet(Fighter& owner, int slot, float x, float y) {
  owner.bullets[slot] = {1, x, y, owner.facingLeft != 0 ? -500.0f : 500.0f, 0, owner.facingLeft};
}

TEST_F(BattleTest, WithoutEnergyAFirePressOnlyShowsTheShootingFrameForASecond) {
  StandOnGround(200, 500);
  P1().energy = 1;
  Frames({k1});
  EXPECT_EQ(P1().energy, 1);
  for (const BulletSlot& bullet : P1().bullets) EXPECT_EQ(bullet.active, 0);
  EXPECT_EQ(Started(M().fireSound), 0);
  EXPECT_EQ(LastFrameDrawn(P1()).first, 4);
  Fake().now += 999 - kFrameMillis;
  Frames({k1});
  EXPECT_EQ(LastFrameDrawn(P1()).first, 4);
  Frames({k1});
  EXPECT_NE(LastFrameDrawn(P1()).first, 4);
}

TEST_F(BattleTest, ThreeBulletsFlyAtOnceAndAFourthShotDoesNothing) {
  StandOnGround(200, 500);
  P1().facingLeft = 1;
  P1().y = 123;
  for (int shot = 0; shot < 3; ++shot) {
    FireBullet(P1());
    const BulletSlot& b = P1().bullets[shot];
    EXPECT_EQ(b.active, 1);
    EXPECT_EQ(std::make_pair(b.x, b.y), std::make_pair(200.0f, 123.0f));
    EXPECT_EQ(std::make_pair(b.vx, b.vy), std::make_pair(-500.0f, 0.0f));
    EXPECT_EQ(b.facingLeft, 1);
  }
  EXPECT_EQ(P1().energy, 15 - 3 * 2);
  EXPECT_EQ(P1().fireDeadline, Fake().now + 1000);
  EXPECT_EQ(Started(M().fireSound), 3);

  Fake().now += 500;
  FireBullet(P1());
  EXPECT_EQ(P1().energy, 9);
  EXPECT_EQ(P1().fireDeadline, Fake().now + 500);
  EXPECT_EQ(Started(M().fireSound), 3);
}

TEST_F(BattleTest, ABulletFlyingRightFrom600RetiresAt704) {
  P1().facingLeft = 0;
  Bullet(P1(), 0, 600, 200);
  int lastDrawnX = 0;
  while (P1().bullets[0].active == 1) {
    Fake().pictures.clear();
    UpdateBullets(P1());
    ASSERT_EQ(Fake().pictures.size(), 1u);
    EXPECT_EQ(Fake().pictures[0].handle, M().bulletPicture);
    lastDrawnX = Fake().pictures[0].x;
    if (P1().bullets[0].active == 1) {
      EXPECT_LT(P1().bullets[0].x, 704);
    }
  }
  EXPECT_EQ(lastDrawnX, 704);  // 8 px a frame from 600, well past the screen's edge at 640
}

TEST_F(BattleTest, ABulletHitCostsAPointAndPushesButAGuardedOneOnlyBlocks) {
  struct Case {
    bool guarded;
    int hp, hitCount;
    float x;
    int fireSounds, hitSounds;
  };
  for (const Case& c : {Case{false, 19, 1, 195, 0, 1}, Case{true, 20, 0, 200, 1, 0}}) {
    SCOPED_TRACE(c.guarded ? "guarded" : "open");
    Fake().sounds.clear();
    StandOnGround(200, 400);
    P1().hp = 20;
    P2().hitCount = 0;
    P1().facingLeft = 0;
    P2().facingLeft = 1;
    Bullet(P2(), 1, 220, P1().y);  // its line spans 1P's centre
    Fake().keysDown = c.guarded ? std::set<int>{kS} : std::set<int>{};
    CheckHits();
    EXPECT_EQ(P2().bullets[1].active, 0);  // used up either way
    EXPECT_EQ(P1().hp, c.hp);
    EXPECT_EQ(P1().x, c.x);
    EXPECT_EQ(P2().hitCount, c.hitCount);
    EXPECT_EQ(Started(M().fireSound), c.fireSounds);
    EXPECT_EQ(Started(M().hitSound), c.hitSounds);
  }
}

TEST_F(BattleTest, ASwordSwingSweepsAQuarterTurnAndHitsOnlyOnce) {
  StandOnGround(200, 250);
  Frames({k2});
  EXPECT_EQ(P1().swinging, 1);
  // The first frame's sword points almost straight up from 32 px below the centre.
  EXPECT_EQ(P1().weapon.x1, 200);
  EXPECT_EQ(P1().weapon.y1, kStandingY + 32);
  EXPECT_NEAR(P1().weapon.x2, 200 + 74 * std::sin(6.2831850f * 0.016f), 1e-3f);
  EXPECT_NEAR(P1().weapon.y2, kStandingY + 32 - 74 * std::cos(6.2831850f * 0.016f), 1e-3f);
  int frames = 1;
  while (P1().swinging == 1 && frames < 30) {
    Frames({k2});
    ++frames;
  }
  EXPECT_EQ(P2().hp, 19);
  EXPECT_EQ(P1().hitCount, 1);
  EXPECT_EQ(P2().x, 255);  // pushed away, 2P facing left
  EXPECT_LT(frames, 16);   // the hit ended the swing early
  Frames({k2}, 30);        // a held key starts no new swing
  EXPECT_EQ(P2().hp, 19);

  // Unhindered, the swing ends just past a quarter turn, about 0.25 s on.
  P2().x = 500;
  Frames({});
  Frames({k2});
  frames = 1;
  while (P1().swinging == 1) {
    Frames({k2});
    ++frames;
  }
  EXPECT_EQ(frames, 16);
  EXPECT_GT(P1().swingAngle, 1.5707963f);
}

// The dash needs level 3, a swing held until 2 s after it ended, and then the key let go.
TEST_F(BattleTest, AHeldSwingChargesTheDashAndLettingGoEarlyCancelsIt) {
  struct Case {
    int level, heldMillis;
    bool dash;
  };
  const Case cases[] = {{3, 2400, true}, {5, 2400, true}, {3, 1500, false}, {2, 2400, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "level " << c.level << ", held " << c.heldMillis);
    Fake().sounds.clear();
    StandOnGround(200, 600);
    P1().level = c.level;
    P1().chargeHeld = P1().chargeSignal = P1().dashOrigin = 0;
    Frames({}, 2);
    Frames({k2}, c.heldMillis / kFrameMillis);
    EXPECT_EQ(Started(M().chargeReadySound), c.dash ? 1 : 0);
    Frames({});
    EXPECT_EQ(P1().dashOrigin, c.dash ? 200 : 0);
    Frames({}, 70);  // well past the charge time, and past a dash's end
    EXPECT_EQ(P1().x, c.dash ? 305 : 200);
    EXPECT_EQ(Started(M().chargeReadySound), c.dash ? 1 : 0);
  }
}

TEST_F(BattleTest, ADashRunsAHundredPixelsAndHitsInEveryFrameItTouches) {
  StandOnGround(200, 290);
  P1().level = 5;  // no level-up to reset the numbers on the way
  P2().hp = 100;
  P1().dashOrigin = 200;
  int frames = 0;
  while (P1().dashOrigin != 0 && frames < 50) {
    Frames({});
    ++frames;
  }
  EXPECT_EQ(frames, 21);  // 5 px a frame until more than 100 px from its start
  EXPECT_EQ(P1().x, 305);
  // Its line reaches 2P's centre from the third frame on, and each push keeps 2P in reach.
  EXPECT_EQ(P1().hitCount, 18);
  EXPECT_EQ(P2().hp, 82);
  EXPECT_EQ(P1().weapon.x1, P1().weapon.x2);  // the line is put away at the end
}

TEST_F(BattleTest, TwoHitsInOneFrameTakeBothPointsAndGiveNoLevelPastTheMark) {
  StandOnGround(200, 400);
  P1().hitCount = 4;
  P2().facingLeft = 1;
  // Both lines end just past 2P's centre, so the first push would take it out of the second's.
  Bullet(P1(), 0, 373, P2().y);
  Bullet(P1(), 2, 374, P2().y);
  CheckHits();
  EXPECT_EQ(P2().hp, 18);
  EXPECT_EQ(P2().x, 410);  // both pushes; each bullet tested where 2P stood before either
  EXPECT_EQ(P1().hitCount, 6);
  EXPECT_EQ(P1().level, 1);
}

TEST_F(BattleTest, TheLevelRisesAtFiveHitsALevelUpToLevelFive) {
  struct Case {
    int level, hitCount;
    int newLevel, newHitCount, hp, energy;
  };
  const Case cases[] = {
      {1, 5, 2, 0, 30, 18},  {1, 4, 1, 4, 20, 15},  {1, 6, 1, 6, 20, 15},
      {2, 10, 3, 0, 45, 27}, {4, 20, 5, 0, 75, 45}, {5, 25, 5, 25, 20, 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "level " << c.level << ", hits " << c.hitCount);
    Fake().sounds.clear();
    for (Fighter* f : {&P1(), &P2()}) {
      f->level = c.level;
      f->hitCount = c.hitCount;
      f->hp = 20;
      f->energy = 15;
    }
    CheckLevelUp();
    for (const Fighter* f : {&P1(), &P2()}) {
      EXPECT_EQ(f->level, c.newLevel);
      EXPECT_EQ(f->hitCount, c.newHitCount);
      EXPECT_EQ(f->hp, c.hp);
      EXPECT_EQ(f->energy, c.energy);
    }
    EXPECT_EQ(Started(M().levelUpSound), c.newLevel != c.level ? 2 : 0);
  }
}

TEST_F(BattleTest, AFifthHitLevelsUpInTheFrameItLands) {
  StandOnGround(200, 400);
  P1().hitCount = 4;
  Bullet(P1(), 0, 380, P2().y);
  CheckHits();
  EXPECT_EQ(P1().level, 2);
  EXPECT_EQ(P1().hp, 30);
  EXPECT_EQ(P1().energy, 18);
  EXPECT_EQ(Started(M().levelUpSound), 1);
}

TEST_F(BattleTest, AFighterPushedPastTheScreenEdgeIsPutBackInTheSameFrame) {
  struct Case {
    float x2, x1;
    float clamped2, clamped1;
  };
  // 2P faces left and is pushed right; 1P faces right and is pushed left.
  for (const Case& c : {Case{637, 3, 638, 2}, Case{634, 6, 639, 1}}) {
    SCOPED_TRACE(c.x2);
    StandOnGround(c.x1, c.x2);
    P1().facingLeft = 0;
    P2().facingLeft = 1;
    P1().hp = P2().hp = 20;
    Bullet(P1(), 0, c.x2 - 10, P2().y);
    Bullet(P2(), 0, c.x1 + 10, P1().y);
    CheckHits();
    EXPECT_EQ(P2().hp, 19);
    EXPECT_EQ(P2().x, c.clamped2);
    EXPECT_EQ(P1().x, c.clamped1);
  }
}

}  // namespace
}  // namespace game::testing
