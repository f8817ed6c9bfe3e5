#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "critter/arena_geometry.h"
#include "critter/critter.h"
#include "log/debug_log.h"
#include "support/temp_dir.h"
#include "tests/critter/critter_fixtures.h"
#include "tests/support/test_params.h"

using critter_test::kH;
using critter_test::kL;
using critter_test::LoadStraightAhead;
using critter_test::SmallNetParams;

namespace {

constexpr double kPi = std::numbers::pi;

double FromCentre(const Vec2D& f) { return std::hypot(f.x - 255.5, f.y - 255.5); }

bool Blocked(double cx, double cy, double fx, double fy) {
  Critter c(0, cx, cy);
  const Vec2D f{fx, fy};
  return c.IsSightBlocked(FromCentre(f), f);
}

// The debug log in a fresh directory for the life of the object.
class LogInTempDir {
 public:
  LogInTempDir() { OpenDebugLog(dir_.path().string()); }
  ~LogInTempDir() { CloseDebugLog(); }
  int CountLines(const std::string& line) {
    const std::string text = ReadFile(dir_.File("Dbg.Log"));
    const std::string whole = line + "\n";
    int n = 0;
    for (std::size_t at = text.find(whole); at != std::string::npos; at = text.find(whole, at + 1)) ++n;
    return n;
  }

 private:
  TempDir dir_;
};

const char kNoFungusLine[] = "GetFungusAwayFromWall can't find a fungus!";

}  // namespace

// --- Choosing the nearest fungus ---

TEST(SightClosestFungus, NearestWinsWhateverItsIndex) {
  ScopedParams scope(SmallNetParams(2));
  Critter c(0, 100, 100);
  const std::vector<Vec2D> fungi = {{120, 100}, {400, 100}};
  const double t = c.FindClosestFungus(fungi);
  EXPECT_EQ(c.iTarget, 0);
  EXPECT_EQ(c.dTargetBearing, 0.0);
  EXPECT_FALSE(c.IsSightBlocked(t, fungi[0]));

  const std::vector<Vec2D> swapped = {{400, 100}, {120, 100}};
  c.FindClosestFungus(swapped);
  EXPECT_EQ(c.iTarget, 1);
}

TEST(SightClosestFungus, ReturnsTheTargetsDistanceFromTheCentre) {
  ScopedParams scope(SmallNetParams(2));
  Critter c(0, 100, 100);
  const std::vector<Vec2D> fungi = {{400, 100}, {120, 100}};
  // Not the 20 units from the critter, and not squared.
  EXPECT_DOUBLE_EQ(c.FindClosestFungus(fungi), std::hypot(135.5, 155.5));
}

TEST(SightClosestFungus, EqualDistancesGoToTheLowerIndex) {
  ScopedParams scope(SmallNetParams(3));
  Critter c(0, 255.5, 100);
  const std::vector<Vec2D> fungi = {{255.5, 300}, {265.5, 100}, {245.5, 100}};
  c.FindClosestFungus(fungi);
  EXPECT_EQ(c.iTarget, 1);
}

TEST(SightClosestFungus, BearingIsTheDirectionFromCritterToTarget) {
  ScopedParams scope(SmallNetParams(1));
  Critter c(0, 200, 400);
  const double offsets[][2] = {{0, 50}, {-50, -50}, {-30, 0}, {10, -40}, {25, 5}};
  for (const auto& d : offsets) {
    const std::vector<Vec2D> fungi = {{200 + d[0], 400 + d[1]}};
    c.FindClosestFungus(fungi);
    EXPECT_NEAR(c.dTargetBearing, std::atan2(d[1], d[0]), 1e-12) << d[0] << "," << d[1];
  }
}

// --- Sight past the central block ---

TEST(SightBlocked, BlockBetweenHidesInBothDirections) {
  ScopedParams scope(SmallNetParams());
  // 155.5 + 144.5 = 300 is within reach; the top wall is parallel, the left
  // and right walls are crossed.
  EXPECT_TRUE(Blocked(100, 255.5, 400, 255.5));
  EXPECT_TRUE(Blocked(400, 255.5, 100, 255.5));
}

TEST(SightBlocked, FarApartAroundTheCentreAlwaysSeen) {
  ScopedParams scope(SmallNetParams());
  EXPECT_FALSE(Blocked(20, 255.5, 490, 255.5));  // 235.5 + 234.5 = 470
}

TEST(SightBlocked, ExactlyAtTheReachLimitTheLineDecides) {
  ScopedParams scope(SmallNetParams());
  EXPECT_TRUE(Blocked(65, 255.5, 446, 255.5));  // 190.5 + 190.5 = 381
}

TEST(SightBlocked, LineThroughACornerIsBlocked) {
  ScopedParams scope(SmallNetParams());
  EXPECT_TRUE(Blocked(kL - 50, kL + 50, kL + 50, kL - 50));
  EXPECT_TRUE(Blocked(kH - 50, kL - 50, kH + 50, kL + 50));
  EXPECT_TRUE(Blocked(kH + 50, kH - 50, kH - 50, kH + 50));
  EXPECT_TRUE(Blocked(kL - 50, kH - 50, kL + 50, kH + 50));
}

TEST(SightBlocked, DiagonalAcrossTheBlockIsBlocked) {
  ScopedParams scope(SmallNetParams());
  EXPECT_TRUE(Blocked(150, 300, 300, 150));
  EXPECT_TRUE(Blocked(200, 100, 300, 420));
}

TEST(SightBlocked, LineMissingTheCornerIsClear) {
  ScopedParams scope(SmallNetParams());
  // The bounding box overlaps the block, the line passes outside the corner.
  EXPECT_FALSE(Blocked(100, 200, 200, 100));
  EXPECT_FALSE(Blocked(kL - 50, kL + 49, kL + 49, kL - 50));
}

TEST(SightBlocked, LinesBesideTheBlockAreClear) {
  ScopedParams scope(SmallNetParams());
  EXPECT_FALSE(Blocked(100, 100, 150, 400));  // left
  EXPECT_FALSE(Blocked(380, 100, 450, 400));  // right
  EXPECT_FALSE(Blocked(100, 100, 400, 150));  // above
  EXPECT_FALSE(Blocked(100, 400, 400, 450));  // below
}

TEST(SightBlocked, SightLineEndingOnTheWallIsBlocked) {
  ScopedParams scope(SmallNetParams());
  // The block is closed: touching its side is not lying beside it.
  EXPECT_TRUE(Blocked(100, 200, kL, 200));
  EXPECT_TRUE(Blocked(200, 100, 200, kL));
}

// --- The crossing point of two lines ---

TEST(SightIntersectLines, CrossingPointOfSightAndWall) {
  Vec2D p;
  const WallSegment right{kH, kL, kH, kH};
  ASSERT_TRUE(IntersectLines({100, 200}, {300, 200}, right, p));
  EXPECT_DOUBLE_EQ(p.x, kH);
  EXPECT_DOUBLE_EQ(p.y, 200.0);

  ASSERT_TRUE(IntersectLines({0, 0}, {10, 10}, WallSegment{0, 10, 10, 0}, p));
  EXPECT_DOUBLE_EQ(p.x, 5.0);
  EXPECT_DOUBLE_EQ(p.y, 5.0);

  // The crossing may lie beyond both segments.
  ASSERT_TRUE(IntersectLines({100, 100}, {110, 110}, WallSegment{300, 0, 300, 5}, p));
  EXPECT_DOUBLE_EQ(p.x, 300.0);
  EXPECT_DOUBLE_EQ(p.y, 300.0);
}

TEST(SightIntersectLines, GivesAbsoluteCoordinates) {
  Vec2D p;
  // The lines x = -4 and y = 3 cross at (-4, 3).
  ASSERT_TRUE(IntersectLines({-4, 0}, {-4, 10}, WallSegment{0, 3, 1, 3}, p));
  EXPECT_DOUBLE_EQ(p.x, 4.0);
  EXPECT_DOUBLE_EQ(p.y, 3.0);
}

TEST(SightIntersectLines, OnlyExactlyParallelLinesFail) {
  Vec2D p;
  const WallSegment top{kL, kL, kH, kL};
  EXPECT_FALSE(IntersectLines({0, 0}, {10, 0}, top, p));
  EXPECT_FALSE(IntersectLines({kL, kL}, {kH, kL}, top, p));  // the same line
  EXPECT_FALSE(IntersectLines({0, 0}, {3, 3}, WallSegment{1, 0, 4, 3}, p));
  EXPECT_TRUE(IntersectLines({0, 0}, {10, 1e-9}, top, p));
}

// --- Whether a point lies on a segment ---

TEST(SightOnSegment, HorizontalAndVerticalPiecesUseTheBoxAlone) {
  const WallSegment top{kL, kL, kH, kL};
  EXPECT_TRUE(IsOnSegment(top, {200, kL}));
  EXPECT_TRUE(IsOnSegment(top, {kL, kL}));
  EXPECT_TRUE(IsOnSegment(top, {kH, kL}));
  EXPECT_TRUE(IsOnSegment(top, {200, kL + 5e-9}));
  EXPECT_TRUE(IsOnSegment(top, {kH + 5e-9, kL}));
  EXPECT_FALSE(IsOnSegment(top, {200, kL + 1e-7}));
  EXPECT_FALSE(IsOnSegment(top, {kL - 1e-7, kL}));
  const WallSegment left{kL, kL, kL, kH};
  EXPECT_TRUE(IsOnSegment(left, {kL, 300}));
  EXPECT_TRUE(IsOnSegment(left, {kL - 5e-9, kH}));
  EXPECT_FALSE(IsOnSegment(left, {kL, kH + 1e-7}));
  EXPECT_FALSE(IsOnSegment(left, {kL + 1e-7, 300}));
}

TEST(SightOnSegment, SlopedPieceNeedsEqualFractionsAlongBothAxes) {
  const WallSegment s{0, 0, 10, 10};
  EXPECT_TRUE(IsOnSegment(s, {5, 5}));
  EXPECT_TRUE(IsOnSegment(s, {5, 5 + 5e-6}));   // fractions differ by 5e-7
  EXPECT_FALSE(IsOnSegment(s, {5, 5 + 5e-5}));  // fractions differ by 5e-6
  EXPECT_FALSE(IsOnSegment(s, {5, 6}));
  EXPECT_FALSE(IsOnSegment(s, {11, 11}));  // on the line, past the end
  const WallSegment shallow{0, 0, 100, 1};
  EXPECT_TRUE(IsOnSegment(shallow, {30, 0.3}));
  EXPECT_FALSE(IsOnSegment(shallow, {30, 0.31}));
}

TEST(SightOnSegment, ReversedEndsFlipTheFractions) {
  const WallSegment leftward{10, 0, 0, 10};
  EXPECT_TRUE(IsOnSegment(leftward, {2, 8}));
  EXPECT_TRUE(IsOnSegment(leftward, {5, 5}));
  EXPECT_FALSE(IsOnSegment(leftward, {2, 2}));
  const WallSegment upward{0, 10, 10, 0};
  EXPECT_TRUE(IsOnSegment(upward, {2, 8}));
  EXPECT_FALSE(IsOnSegment(upward, {8, 8}));
  const WallSegment both{10, 10, 0, 0};
  EXPECT_TRUE(IsOnSegment(both, {3, 3}));
  EXPECT_FALSE(IsOnSegment(both, {3, 7}));
}

// --- Looking for a fungus the block does not hide ---

TEST(SightFallbackSearch, ClosestAllowedSkipsExcludedFungi) {
  ScopedParams scope(SmallNetParams(4));
  Critter c(0, 100, 100);
  const std::vector<Vec2D> fungi = {{110, 100}, {130, 100}, {100, 130}, {100, 300}};
  g_Arena.vecExcluded.assign(4, 0);
  g_Arena.vecExcluded[0] = 1;
  c.FindClosestAllowedFungus(fungi);
  EXPECT_EQ(c.iTarget, 1);  // 1 and 2 are both 30 away: the lower index
  g_Arena.vecExcluded[1] = 1;
  c.FindClosestAllowedFungus(fungi);
  EXPECT_EQ(c.iTarget, 2);
  g_Arena.vecExcluded[2] = 1;
  c.FindClosestAllowedFungus(fungi);
  EXPECT_EQ(c.iTarget, 3);
  g_Arena.vecExcluded[3] = 1;
  c.FindClosestAllowedFungus(fungi);
  EXPECT_EQ(c.iTarget, 0);  // nothing allowed
  g_Arena.vecExcluded.assign(4, 0);
}

TEST(SightFallbackSearch, TakesTheNextNearestUntilOneIsInSight) {
  ScopedParams scope(SmallNetParams(3));
  LogInTempDir log;
  Critter c(0, 100, 255.5);
  // 2 (260 away) and 0 (274 away) are behind the block; 1 (469 away) is
  // far round the centre and so in sight.
  const std::vector<Vec2D> fungi = {{370, 300}, {500, 500}, {360, 240}};
  const double t = c.FindClosestFungus(fungi);
  ASSERT_EQ(c.iTarget, 2);
  ASSERT_TRUE(c.IsSightBlocked(t, fungi[2]));
  g_Arena.vecExcluded.assign(3, 1);  // stale flags from an earlier search
  c.GetFungusAwayFromWall(fungi);
  EXPECT_EQ(c.iTarget, 1);
  EXPECT_NEAR(c.dTargetBearing, std::atan2(500 - 255.5, 500 - 100), 1e-12);
  // The last fungus tried was in sight: nothing to report.
  EXPECT_EQ(log.CountLines(kNoFungusLine), 0);
}

TEST(SightFallbackSearch, EveryFungusHiddenLogsOnceAndFallsBackToTheFirst) {
  ScopedParams scope(SmallNetParams(3));
  LogInTempDir log;
  Critter c(0, 100, 255.5);
  // All behind the block; the farthest is 1, the nearest 0.
  const std::vector<Vec2D> fungi = {{360, 240}, {370, 300}, {365, 220}};
  c.FindClosestFungus(fungi);
  ASSERT_EQ(c.iTarget, 0);
  c.dTargetBearing = 2.0;
  c.GetFungusAwayFromWall(fungi);
  EXPECT_EQ(c.iTarget, 0);
  EXPECT_NEAR(c.dTargetBearing, std::atan2(240 - 255.5, 360 - 100), 1e-12);
  EXPECT_EQ(log.CountLines(kNoFungusLine), 1);
}

TEST(SightFallbackSearch, SingleHiddenFungusLogsOnce) {
  ScopedParams scope(SmallNetParams(1));
  LogInTempDir log;
  Critter c(0, 100, 255.5);
  const std::vector<Vec2D> fungi = {{400, 255.5}};
  c.FindClosestFungus(fungi);
  c.GetFungusAwayFromWall(fungi);
  EXPECT_EQ(c.iTarget, 0);
  EXPECT_EQ(c.dTargetBearing, 0.0);
  EXPECT_EQ(log.CountLines(kNoFungusLine), 1);
}

TEST(SightFallbackSearch, StepAimsAtTheFungusInSight) {
  ScopedParams scope(SmallNetParams(3));
  Critter c(0, 100, 255.5);
  LoadStraightAhead(c);
  const std::vector<Vec2D> fungi = {{370, 300}, {500, 500}, {360, 240}};
  ASSERT_TRUE(c.Step(fungi, true));
  EXPECT_EQ(c.iTarget, 1);
  EXPECT_EQ(c.dMarkerX, 500.0);
  EXPECT_EQ(c.dMarkerY, 500.0);
  EXPECT_NEAR(c.dTargetBearing, std::atan2(500 - 255.5, 500 - 100), 1e-12);
}

TEST(SightFallbackSearch, StepKeepsTheNearestWhenItIsInSight) {
  ScopedParams scope(SmallNetParams(3));
  Critter c(0, 100, 255.5);
  LoadStraightAhead(c);
  const std::vector<Vec2D> fungi = {{370, 300}, {100, 230}, {360, 240}};
  ASSERT_TRUE(c.Step(fungi, true));
  EXPECT_EQ(c.iTarget, 1);
  EXPECT_NEAR(c.dTargetBearing, -kPi / 2, 1e-12);
}
