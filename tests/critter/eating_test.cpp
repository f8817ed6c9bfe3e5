#include <gtest/gtest.h>

#include <vector>

#include "critter/critter.h"
#include "tests/critter/critter_fixtures.h"
#include "tests/support/test_params.h"

using critter_test::LoadStraightAhead;
using critter_test::SmallNetParams;

TEST(Eating, TargetWithinFiveIsEaten) {
  ScopedParams scope(SmallNetParams(2));
  Critter c(0, 100, 100);
  const std::vector<Vec2D> fungi = {{300, 30}, {100, 104}};
  c.iTarget = 1;
  double reward = 7.0;
  // 4 away: eaten (its square, 16, would not be under 5).
  EXPECT_EQ(c.TryEat(fungi, reward), 1);
  EXPECT_EQ(reward, 100.0);
}

TEST(Eating, ExactlyFiveAwayIsNotEaten) {
  ScopedParams scope(SmallNetParams(1));
  Critter c(0, 100, 100);
  c.iTarget = 0;
  double reward = 7.0;
  EXPECT_EQ(c.TryEat({{103, 104}}, reward), -1);
  EXPECT_EQ(reward, 7.0);
  EXPECT_EQ(c.TryEat({{103, 103.999}}, reward), 0);
  EXPECT_EQ(reward, 100.0);
}

TEST(Eating, OnlyTheTargetCanBeEaten) {
  ScopedParams scope(SmallNetParams(2));
  Critter c(0, 100, 100);
  const std::vector<Vec2D> fungi = {{100, 100}, {102, 100}};
  double reward = 7.0;
  c.iTarget = 1;
  EXPECT_EQ(c.TryEat(fungi, reward), 1);
  const std::vector<Vec2D> farTarget = {{100, 100}, {200, 100}};
  reward = 7.0;
  EXPECT_EQ(c.TryEat(farTarget, reward), -1);
  EXPECT_EQ(reward, 7.0);
}

TEST(Eating, HeldCritterEatsNothing) {
  ScopedParams scope(SmallNetParams(1));
  for (int state : {ArenaEdge, CentralBlock}) {
    Critter c(0, 100, 100);
    c.iTarget = 0;
    c.iCollision = state;
    double reward = 7.0;
    EXPECT_EQ(c.TryEat({{100, 101}}, reward), -1);
    EXPECT_EQ(reward, 7.0);
  }
}

TEST(Eating, StepTowardsTheNearestThenEatIt) {
  ScopedParams scope(SmallNetParams(2));
  Critter c(0, 100, 300);
  c.dHeading = 0;
  LoadStraightAhead(c);
  const std::vector<Vec2D> fungi = {{60, 300}, {106, 300}};
  double reward = 0.0;
  ASSERT_TRUE(c.Step(fungi, false));  // targets 1 and moves to (101, 300): 5 away
  EXPECT_EQ(c.TryEat(fungi, reward), -1);
  ASSERT_TRUE(c.Step(fungi, false));
  EXPECT_EQ(c.TryEat(fungi, reward), 1);
  EXPECT_EQ(reward, 100.0);
}
