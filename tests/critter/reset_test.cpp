#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "critter/arena_geometry.h"
#include "critter/critter.h"
#include "geometry/point2d.h"
#include "tests/critter/critter_fixtures.h"
#include "tests/support/test_params.h"

using critter_test::kH;
using critter_test::kL;
using critter_test::SmallNetParams;

namespace {

constexpr double kPi = std::numbers::pi;

void ExpectWall(const WallSegment& w, double x1, double y1, double x2, double y2) {
  EXPECT_EQ(w.x1, x1);
  EXPECT_EQ(w.y1, y1);
  EXPECT_EQ(w.x2, x2);
  EXPECT_EQ(w.y2, y2);
}

}  // namespace

// --- The shared arena record ---

TEST(CritterArena, BlockAndWallsAfterConstruction) {
  ScopedParams scope(SmallNetParams());
  Critter c(0, 100, 100);
  EXPECT_NEAR(g_Arena.dBlockMin, 170.33333333333334, 1e-12);
  EXPECT_NEAR(g_Arena.dBlockMax, 340.6666666666667, 1e-12);
  EXPECT_EQ(g_Arena.dBlockMin, kL);
  EXPECT_EQ(g_Arena.dBlockMax, kH);
  EXPECT_EQ(g_Arena.dCentreX, 255.5);
  EXPECT_EQ(g_Arena.dCentreY, 255.5);
  EXPECT_EQ(g_Arena.dArenaSize, 511.0);
  ExpectWall(g_Arena.BlockWalls[0], kL, kL, kH, kL);  // top
  ExpectWall(g_Arena.BlockWalls[1], kH, kL, kH, kH);  // right
  ExpectWall(g_Arena.BlockWalls[2], kL, kH, kH, kH);  // bottom
  ExpectWall(g_Arena.BlockWalls[3], kL, kL, kL, kH);  // left
}

TEST(CritterArena, OneExclusionFlagPerFungus) {
  ScopedParams scope(SmallNetParams(7));
  Critter c(0, 100, 100);
  EXPECT_EQ(g_Arena.vecExcluded.size(), 7u);
}

TEST(CritterArena, SecondCritterLeavesTheGeometryAsItWas) {
  ScopedParams scope(SmallNetParams(9));
  Critter first(0, 100, 100);
  ASSERT_EQ(g_Arena.vecExcluded.size(), 9u);
  g_Arena.vecExcluded[4] = 1;
  const std::vector<unsigned char> flags = g_Arena.vecExcluded;
  Critter second(1, 400, 400);
  EXPECT_EQ(g_Arena.vecExcluded, flags);
  ExpectWall(g_Arena.BlockWalls[0], kL, kL, kH, kL);
  ExpectWall(g_Arena.BlockWalls[3], kL, kL, kL, kH);
  g_Arena.vecExcluded[4] = 0;
}

TEST(CritterArena, MoreFungiLaterInTheRunGrowTheFlags) {
  {
    ScopedParams scope(SmallNetParams(5));
    Critter c(0, 100, 100);
    EXPECT_EQ(g_Arena.vecExcluded.size(), 5u);
  }
  ScopedParams scope(SmallNetParams(45));
  Critter c(0, 100, 100);
  EXPECT_EQ(g_Arena.vecExcluded.size(), 45u);
}

// --- Reset: placement and the clockwise tangent heading ---

TEST(CritterReset, AboveTheCentreFacesAlongX) {
  ScopedParams scope(SmallNetParams());
  Critter c(3, 0, 0);
  c.Reset(255.5, 100);
  EXPECT_EQ(c.iIndex, 3);
  EXPECT_EQ(c.dPosX, 255.5);
  EXPECT_EQ(c.dPosY, 100.0);
  EXPECT_EQ(c.dRelX, 0.0);
  EXPECT_EQ(c.dRelY, -155.5);
  EXPECT_EQ(c.dCentreDistance, 155.5);
  EXPECT_EQ(c.dHeading, 0.0);
  EXPECT_EQ(c.dDisplayHeading, 0.0);
}

TEST(CritterReset, RightOfTheCentreFacesDown) {
  ScopedParams scope(SmallNetParams());
  Critter c(0, 400, 255.5);
  EXPECT_DOUBLE_EQ(c.dHeading, kPi / 2);
  EXPECT_DOUBLE_EQ(c.dDisplayHeading, kPi / 2);
  EXPECT_EQ(c.dCentreDistance, 144.5);
}

TEST(CritterReset, LeftOfTheCentreWrapsOnlyTheHeading) {
  ScopedParams scope(SmallNetParams());
  Critter c(0, 100, 255.5);
  EXPECT_DOUBLE_EQ(c.dHeading, -kPi / 2);
  EXPECT_DOUBLE_EQ(c.dDisplayHeading, 3 * kPi / 2);
}

TEST(CritterReset, BelowTheCentreKeepsExactlyPi) {
  ScopedParams scope(SmallNetParams());
  Critter c(0, 255.5, 400);
  // pi/2 + pi/2 is pi exactly, and pi itself is not wrapped.
  EXPECT_EQ(c.dHeading, kPi);
  EXPECT_EQ(c.dDisplayHeading, kPi);
}

TEST(CritterReset, DiagonalPlaceFacesAlongTheTangent) {
  ScopedParams scope(SmallNetParams());
  Critter c(0, 100, 100);
  EXPECT_DOUBLE_EQ(c.dHeading, -kPi / 4);
  EXPECT_DOUBLE_EQ(c.dCentreDistance, 155.5 * std::sqrt(2.0));
}

TEST(CritterReset, EveryPlaceFacesAlongTheTangentAndHeadingStaysInRange) {
  ScopedParams scope(SmallNetParams());
  Critter c(0, 0, 0);
  for (double x : {5.0, 60.0, 255.5, 300.0, 505.0}) {
    for (double y : {5.0, 100.0, 255.25, 420.0, 505.0}) {
      c.Reset(x, y);
      // Facing (-relY, relX): at right angles to the centre line, clockwise.
      EXPECT_NEAR(std::cos(c.dHeading), -c.dRelY / c.dCentreDistance, 1e-12) << x << "," << y;
      EXPECT_NEAR(std::sin(c.dHeading), c.dRelX / c.dCentreDistance, 1e-12) << x << "," << y;
      EXPECT_GT(c.dHeading, -kPi);
      EXPECT_LE(c.dHeading, kPi);
      EXPECT_NEAR(std::cos(c.dDisplayHeading), std::cos(c.dHeading), 1e-12);
      EXPECT_NEAR(std::sin(c.dDisplayHeading), std::sin(c.dHeading), 1e-12);
    }
  }
}

TEST(CritterReset, ClearsScoreAndStateButKeepsBearingAndNetwork) {
  ScopedParams scope(SmallNetParams());
  Critter c(0, 100, 100);
  const std::vector<double> weights = {0.25, -0.5, 0.75, -1.0};
  ASSERT_TRUE(c.Net.LoadWeights(weights));
  c.dMarkerX = 12;
  c.dMarkerY = 34;
  c.dFitness = 500;
  c.iCollision = CentralBlock;
  c.iTarget = 6;
  c.dTargetBearing = 1.25;
  c.Reset(400, 400);
  EXPECT_EQ(c.dPosX, 400.0);
  EXPECT_EQ(c.dPosY, 400.0);
  EXPECT_EQ(c.dMarkerX, -1.0);
  EXPECT_EQ(c.dMarkerY, -1.0);
  EXPECT_EQ(c.dFitness, 0.0);
  EXPECT_EQ(c.iCollision, Free);
  EXPECT_EQ(c.iTarget, -1);
  EXPECT_EQ(c.dTargetBearing, 1.25);
  EXPECT_EQ(std::vector<double>(c.Net.Weights().begin(), c.Net.Weights().end()), weights);
}

// --- Placing the drawing shape ---

TEST(CritterWorldTransform, ScalesRotatesAndMovesTheCritterShape) {
  ScopedParams scope(SmallNetParams());
  Critter c(0, 100, 200);
  c.dDisplayHeading = 0.0;
  c.dHeading = 2.0;  // the drawing follows the display heading only
  Shape s = kCritterShape;
  c.WorldTransform(s, 2.0);
  const float want[4][2] = {{102, 200}, {98, 202}, {100, 200}, {98, 198}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(s[i].x, want[i][0], 1e-4) << "vertex " << i;
    EXPECT_NEAR(s[i].y, want[i][1], 1e-4) << "vertex " << i;
  }
}

TEST(CritterWorldTransform, NosePointsAlongTheDisplayHeading) {
  ScopedParams scope(SmallNetParams());
  Critter c(0, 300, 50);
  // Includes display headings past pi (as Reset gives) and near -pi, where
  // the rotation angle is wrapped.
  for (double h : {kPi / 2, kPi, 3 * kPi / 2, -kPi / 2, -kPi + 0.01, -kPi, 1.0}) {
    c.dDisplayHeading = h;
    Shape s = kCritterShape;
    c.WorldTransform(s, 3.0);
    EXPECT_NEAR(s[0].x, 300 + 3 * std::cos(h), 1e-4) << "heading " << h;
    EXPECT_NEAR(s[0].y, 50 + 3 * std::sin(h), 1e-4) << "heading " << h;
    EXPECT_NEAR(s[2].x, 300, 1e-4);
    EXPECT_NEAR(s[2].y, 50, 1e-4);
  }
}
