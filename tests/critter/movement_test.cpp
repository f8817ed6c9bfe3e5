#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "critter/critter.h"
#include "tests/critter/critter_fixtures.h"
#include "tests/support/test_params.h"

using critter_test::kH;
using critter_test::kL;
using critter_test::LoadSmallNet;
using critter_test::LoadStraightAhead;
using critter_test::SmallNetParams;

namespace {

constexpr double kPi = std::numbers::pi;

double Sigmoid(double a) { return 1.0 / (1.0 + std::exp(-a)); }

// A critter at (x, y) with the given heading and collision state.
Critter Placed(double x, double y, double heading, int collision = Free) {
  Critter c(0, x, y);
  c.dHeading = heading;
  c.iCollision = collision;
  return c;
}

// The collision state of a critter in state `from` after one check of a
// proposed step to (x, y).
int CollisionAfter(int from, void (Critter::*check)(double, double), double x, double y) {
  Critter c = Placed(100, 100, 0, from);
  (c.*check)(x, y);
  return c.iCollision;
}

}  // namespace

// --- Relative bearing: the network's input ---

TEST(Bearing, KnownAngles) {
  EXPECT_DOUBLE_EQ(RelativeBearing(0, kPi / 2), 0.5);
  EXPECT_DOUBLE_EQ(RelativeBearing(3, -3), (2 * kPi - 6) / kPi);
  EXPECT_NEAR(RelativeBearing(3, -3), 0.0901, 1e-4);
  EXPECT_DOUBLE_EQ(RelativeBearing(-3, 3), -(2 * kPi - 6) / kPi);
  EXPECT_EQ(RelativeBearing(1, 1), 0.0);
  EXPECT_DOUBLE_EQ(RelativeBearing(-1, -2), -1 / kPi);
  EXPECT_DOUBLE_EQ(RelativeBearing(0, -0.5), -0.5 / kPi);
}

TEST(Bearing, HalfTurnEitherWayIsPlusOne) {
  EXPECT_EQ(RelativeBearing(kPi / 2, -kPi / 2), 1.0);
  EXPECT_EQ(RelativeBearing(-kPi / 2, kPi / 2), 1.0);
}

TEST(Bearing, ShortestTurnToTheBearingForEveryPair) {
  for (int i = -12; i <= 12; ++i) {
    for (int j = -12; j <= 12; ++j) {
      const double h = i * (kPi / 12.5), b = j * (kPi / 12.5);
      const double r = RelativeBearing(h, b);
      EXPECT_LE(std::fabs(r), 1.0) << h << " " << b;
      // Turning by r * pi from h faces b.
      EXPECT_NEAR(std::cos(h + r * kPi), std::cos(b), 1e-12) << h << " " << b;
      EXPECT_NEAR(std::sin(h + r * kPi), std::sin(b), 1e-12) << h << " " << b;
    }
  }
}

// --- Turning ---

TEST(MovementTurn, FreeTurnIsCutToTheLimit) {
  ScopedParams scope(SmallNetParams());
  const Critter c = Placed(100, 100, 0);
  EXPECT_DOUBLE_EQ(c.Turn(1.0, 0.9), 1.3);
  EXPECT_DOUBLE_EQ(c.Turn(1.0, -0.9), 0.7);
  EXPECT_DOUBLE_EQ(c.Turn(1.0, 0.05), 1.0 + 0.05 * kPi);
  EXPECT_DOUBLE_EQ(c.Turn(1.0, -0.05), 1.0 - 0.05 * kPi);
}

TEST(MovementTurn, LimitComesFromTheParameters) {
  ParamsRecord p = SmallNetParams();
  p.MaxTurnPerTick = 0.2;
  ScopedParams scope(p);
  const Critter c = Placed(100, 100, 0);
  EXPECT_DOUBLE_EQ(c.Turn(0.0, 0.9), 0.2);
  EXPECT_DOUBLE_EQ(c.Turn(0.0, -0.9), -0.2);
}

TEST(MovementTurn, HeldCritterTurnsUncut) {
  ScopedParams scope(SmallNetParams());
  for (int state : {ArenaEdge, CentralBlock}) {
    const Critter c = Placed(100, 100, 0, state);
    EXPECT_DOUBLE_EQ(c.Turn(0.0, 0.5), kPi / 2);
    EXPECT_DOUBLE_EQ(c.Turn(0.0, -0.8), -0.8 * kPi);
  }
}

TEST(MovementTurn, PastPiWrapsRound) {
  ScopedParams scope(SmallNetParams());
  const Critter c = Placed(100, 100, 0);
  EXPECT_NEAR(c.Turn(kPi - 0.1, 0.5), -kPi + 0.2, 1e-12);
  EXPECT_NEAR(c.Turn(-kPi + 0.1, -0.5), kPi - 0.2, 1e-12);
}

TEST(MovementTurn, ExactlyPiIsKeptAndMinusPiBecomesPi) {
  ScopedParams scope(SmallNetParams());
  const Critter held = Placed(100, 100, 0, ArenaEdge);
  EXPECT_EQ(held.Turn(0.0, 1.0), kPi);
  EXPECT_EQ(held.Turn(kPi / 2, 0.5), kPi);
  EXPECT_EQ(held.Turn(0.0, -1.0), kPi);
  EXPECT_EQ(held.Turn(-kPi / 2, -0.5), kPi);
}

// --- Collisions and release ---

TEST(MovementCollision, ArenaEdgeIncludesTheBoundary) {
  ScopedParams scope(SmallNetParams());
  auto state = [](double x, double y) { return CollisionAfter(Free, &Critter::CheckCollision, x, y); };
  EXPECT_EQ(state(511, 300), ArenaEdge);
  EXPECT_EQ(state(0, 300), ArenaEdge);
  EXPECT_EQ(state(300, 511), ArenaEdge);
  EXPECT_EQ(state(300, 0), ArenaEdge);
  EXPECT_EQ(state(-3, 600), ArenaEdge);
  EXPECT_EQ(state(510.999, 300), Free);
  EXPECT_EQ(state(0.001, 0.001), Free);
  EXPECT_EQ(state(300, 510.999), Free);
}

TEST(MovementCollision, CentralBlockIsClosed) {
  ScopedParams scope(SmallNetParams());
  auto state = [](double x, double y) { return CollisionAfter(Free, &Critter::CheckCollision, x, y); };
  EXPECT_EQ(state(kL, 200), CentralBlock);
  EXPECT_EQ(state(kH, 200), CentralBlock);
  EXPECT_EQ(state(200, kL), CentralBlock);
  EXPECT_EQ(state(200, kH), CentralBlock);
  EXPECT_EQ(state(kL, kL), CentralBlock);
  EXPECT_EQ(state(kH, kH), CentralBlock);
  EXPECT_EQ(state(255.5, 255.5), CentralBlock);
  EXPECT_EQ(state(kL - 1e-9, 200), Free);
  EXPECT_EQ(state(kH + 1e-9, 200), Free);
  EXPECT_EQ(state(200, kL - 1e-9), Free);
  EXPECT_EQ(state(200, kH + 1e-9), Free);
}

TEST(MovementCollision, EdgeReleasesOnlyStrictlyInside) {
  ScopedParams scope(SmallNetParams());
  auto state = [](double x, double y) { return CollisionAfter(ArenaEdge, &Critter::CheckRelease, x, y); };
  EXPECT_EQ(state(510.999, 300), Free);
  EXPECT_EQ(state(0.001, 300), Free);
  EXPECT_EQ(state(511, 300), ArenaEdge);
  EXPECT_EQ(state(0, 300), ArenaEdge);
  EXPECT_EQ(state(300, 511), ArenaEdge);
  EXPECT_EQ(state(300, 0), ArenaEdge);
}

TEST(MovementCollision, BlockReleasesOnlyOutsideTheClosedSquare) {
  ScopedParams scope(SmallNetParams());
  auto state = [](double x, double y) { return CollisionAfter(CentralBlock, &Critter::CheckRelease, x, y); };
  EXPECT_EQ(state(kL, 200), CentralBlock);
  EXPECT_EQ(state(kH, kH), CentralBlock);
  EXPECT_EQ(state(255.5, 255.5), CentralBlock);
  EXPECT_EQ(state(kL - 1e-9, 200), Free);
  EXPECT_EQ(state(kH + 1e-9, 200), Free);
  EXPECT_EQ(state(200, kL - 1e-9), Free);
  EXPECT_EQ(state(200, kH + 1e-9), Free);
}

// --- One move ---

TEST(MovementMove, EvenOutputsGoStraightOneUnit) {
  ScopedParams scope(SmallNetParams());
  Critter c = Placed(100, 300, 0);
  c.Move(0.5, 0.5);
  EXPECT_EQ(c.iCollision, Free);
  EXPECT_EQ(c.dHeading, 0.0);
  EXPECT_EQ(c.dPosX, 101.0);
  EXPECT_EQ(c.dPosY, 300.0);
  EXPECT_EQ(c.dRelX, 101.0 - 255.5);
  EXPECT_EQ(c.dRelY, 300.0 - 255.5);
  EXPECT_DOUBLE_EQ(c.dCentreDistance, std::hypot(154.5, 44.5));
}

TEST(MovementMove, SpeedIsTheRootOfBothShortfalls) {
  ScopedParams scope(SmallNetParams());
  Critter c = Placed(100, 300, kPi / 2);
  c.Move(0.0, 0.0);
  EXPECT_DOUBLE_EQ(c.dPosY, 300 + std::sqrt(2.0));
  c.Move(0.75, 0.75);
  EXPECT_DOUBLE_EQ(c.dPosY, 300 + std::sqrt(2.0) + std::sqrt(0.5));
  c.Move(1.0, 1.0);  // full outputs: standing still
  EXPECT_DOUBLE_EQ(c.dPosY, 300 + std::sqrt(2.0) + std::sqrt(0.5));
  EXPECT_NEAR(c.dPosX, 100.0, 1e-12);
}

TEST(MovementMove, UnevenOutputsTurnWithinTheLimitThenMove) {
  ScopedParams scope(SmallNetParams());
  Critter left = Placed(100, 300, 0);
  left.Move(0.9, 0.1);  // asks for 0.8 pi, gets 0.3
  EXPECT_NEAR(left.dHeading, 0.3, 1e-12);
  EXPECT_NEAR(left.dPosX, 100 + std::cos(0.3), 1e-12);
  EXPECT_NEAR(left.dPosY, 300 + std::sin(0.3), 1e-12);
  Critter right = Placed(100, 300, 0);
  right.Move(0.1, 0.9);
  EXPECT_NEAR(right.dHeading, -0.3, 1e-12);
  EXPECT_NEAR(right.dPosY, 300 - std::sin(0.3), 1e-12);
  Critter slight = Placed(100, 300, 0);
  slight.Move(0.52, 0.48);
  EXPECT_NEAR(slight.dHeading, 0.04 * kPi, 1e-12);
}

TEST(MovementMove, StepIntoTheEdgeHoldsInPlaceWithTheNewHeading) {
  ScopedParams scope(SmallNetParams());
  Critter c = Placed(510.5, 300, 0);
  const double relX = c.dRelX, distance = c.dCentreDistance;
  c.Move(0.6, 0.4);
  EXPECT_EQ(c.iCollision, ArenaEdge);
  EXPECT_EQ(c.dPosX, 510.5);
  EXPECT_EQ(c.dPosY, 300.0);
  EXPECT_EQ(c.dRelX, relX);
  EXPECT_EQ(c.dCentreDistance, distance);
  EXPECT_NEAR(c.dHeading, 0.3, 1e-12);
}

TEST(MovementMove, StepLandingOnTheBlockSideIsACollision) {
  ScopedParams scope(SmallNetParams());
  ASSERT_EQ((kL - 1.0) + 1.0, kL);
  Critter c = Placed(kL - 1.0, 200, 0);
  c.Move(0.5, 0.5);
  EXPECT_EQ(c.iCollision, CentralBlock);
  EXPECT_EQ(c.dPosX, kL - 1.0);
  EXPECT_EQ(c.dPosY, 200.0);
}

TEST(MovementMove, HeldCritterTurnsUncutAndIsReleasedByAStepInside) {
  ScopedParams scope(SmallNetParams());
  Critter c = Placed(510.5, 300, 0, ArenaEdge);
  c.Move(0.9, 0.1);
  EXPECT_DOUBLE_EQ(c.dHeading, 0.8 * kPi);
  EXPECT_EQ(c.iCollision, Free);
  EXPECT_NEAR(c.dPosX, 510.5 + std::cos(0.8 * kPi), 1e-9);
  EXPECT_NEAR(c.dPosY, 300 + std::sin(0.8 * kPi), 1e-9);
}

TEST(MovementMove, HeldCritterStepStillInsideStaysPut) {
  ScopedParams scope(SmallNetParams());
  Critter c = Placed(kL - 0.5, 255.5, 0, CentralBlock);
  c.Move(0.5, 0.5);
  EXPECT_EQ(c.iCollision, CentralBlock);
  EXPECT_EQ(c.dPosX, kL - 0.5);
  EXPECT_EQ(c.dPosY, 255.5);
  c.Move(0.9, 0.1);
  EXPECT_EQ(c.iCollision, Free);  // turned 0.8 pi away from the block
  EXPECT_LT(c.dPosX, kL - 0.5);
}

// --- One tick ---

TEST(MovementStep, FreeCritterSensesThinksAndMoves) {
  ScopedParams scope(SmallNetParams(1));
  Critter c = Placed(100, 300, 0);
  LoadStraightAhead(c);
  c.dDisplayHeading = 1.5;
  c.dMarkerX = 7;
  c.dMarkerY = 8;
  const std::vector<Vec2D> fungi = {{50, 50}};
  ASSERT_TRUE(c.Step(fungi, false));
  EXPECT_EQ(c.dPosX, 101.0);
  EXPECT_EQ(c.dPosY, 300.0);
  EXPECT_EQ(c.iTarget, 0);
  EXPECT_DOUBLE_EQ(c.dTargetBearing, std::atan2(-250.0, -50.0));
  // Fast mode leaves what is only drawn alone.
  EXPECT_EQ(c.dDisplayHeading, 1.5);
  EXPECT_EQ(c.dMarkerX, 7.0);
  EXPECT_EQ(c.dMarkerY, 8.0);
}

TEST(MovementStep, DisplayKeepsTheHeadingBeforeTheTurnAndMarksTheTarget) {
  ScopedParams scope(SmallNetParams(2));
  Critter c = Placed(100, 300, 0.2);
  LoadSmallNet(c, 0, -2, 0, 2);  // outputs sigmoid(2) and sigmoid(-2): a full left turn
  const std::vector<Vec2D> fungi = {{400, 450}, {50, 50}};
  ASSERT_TRUE(c.Step(fungi, true));
  EXPECT_EQ(c.dDisplayHeading, 0.2);
  EXPECT_NEAR(c.dHeading, 0.5, 1e-12);
  EXPECT_EQ(c.dMarkerX, 50.0);
  EXPECT_EQ(c.dMarkerY, 50.0);
  EXPECT_NEAR(c.dPosX, 100 + std::cos(0.5), 1e-12);
  EXPECT_NEAR(c.dPosY, 300 + std::sin(0.5), 1e-12);
}

TEST(MovementStep, NetworkInputIsTheRelativeBearing) {
  ScopedParams scope(SmallNetParams(1));
  Critter c = Placed(100, 300, 0);
  LoadSmallNet(c, 0.2, 0, 0, 0);  // output 0 follows the input, output 1 stays 0.5
  const std::vector<Vec2D> fungi = {{100, 350}};  // straight along +y: bearing pi/2
  ASSERT_TRUE(c.Step(fungi, false));
  const double o0 = Sigmoid(0.2 * 0.5);  // relative bearing 0.5
  EXPECT_NEAR(c.dHeading, (o0 - 0.5) * kPi, 1e-12);
  const double speed = std::sqrt((1 - o0) + 0.5);
  EXPECT_NEAR(c.dPosX, 100 + std::cos(c.dHeading) * speed, 1e-12);
  EXPECT_NEAR(c.dPosY, 300 + std::sin(c.dHeading) * speed, 1e-12);
}

TEST(MovementStep, HeldCritterTurnsOnAFixedInputWithoutSensing) {
  ScopedParams scope(SmallNetParams(2));
  const std::vector<Vec2D> fungi = {{kL - 10, 255.5}, {50, 50}};
  for (bool display : {true, false}) {
    Critter c = Placed(kL - 0.5, 255.5, 0, CentralBlock);
    LoadSmallNet(c, 1, 0, 0, 0);  // output 0 follows the input
    c.iTarget = 1;
    c.dMarkerX = 7;
    c.dMarkerY = 8;
    ASSERT_TRUE(c.Step(fungi, display));
    // Input -1 gives sigmoid(-1) against 0.5; a held turn is not cut.
    EXPECT_NEAR(c.dHeading, (Sigmoid(-1) - 0.5) * kPi, 1e-12);
    EXPECT_EQ(c.iCollision, CentralBlock);
    EXPECT_EQ(c.dPosX, kL - 0.5);
    EXPECT_EQ(c.dPosY, 255.5);
    EXPECT_EQ(c.iTarget, 1);  // no sensing: fungus 0 is nearer
    if (display) {
      EXPECT_EQ(c.dDisplayHeading, 0.0);
      EXPECT_EQ(c.dMarkerX, -1.0);
      EXPECT_EQ(c.dMarkerY, -1.0);
    } else {
      EXPECT_EQ(c.dMarkerX, 7.0);
      EXPECT_EQ(c.dMarkerY, 8.0);
    }
  }
}

TEST(MovementStep, ReleasedCritterSensesAndMovesAgainInTheSameTick) {
  ScopedParams scope(SmallNetParams(1));
  Critter c = Placed(510.5, 300, kPi, ArenaEdge);
  LoadStraightAhead(c);
  const std::vector<Vec2D> fungi = {{450, 300}};
  ASSERT_TRUE(c.Step(fungi, true));
  EXPECT_EQ(c.iCollision, Free);
  EXPECT_NEAR(c.dPosX, 508.5, 1e-9);  // two unit steps towards -x
  EXPECT_NEAR(c.dPosY, 300.0, 1e-9);
  EXPECT_EQ(c.iTarget, 0);
  EXPECT_EQ(c.dMarkerX, 450.0);
  EXPECT_EQ(c.dMarkerY, 300.0);
  EXPECT_NEAR(std::cos(c.dTargetBearing), -1.0, 1e-12);  // the fungus lies towards -x
}

TEST(MovementStep, WrongInputCountFailsTheStep) {
  ParamsRecord p = SmallNetParams(1);
  p.InputCount = 2;
  ScopedParams scope(p);
  const std::vector<Vec2D> fungi = {{50, 50}};
  Critter free = Placed(100, 300, 0);
  EXPECT_FALSE(free.Step(fungi, false));
  Critter held = Placed(kL - 0.5, 255.5, 0, CentralBlock);
  EXPECT_FALSE(held.Step(fungi, true));
}
