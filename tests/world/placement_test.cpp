#include <algorithm>
#include <cmath>
#include <numeric>

#include "tests/world/world_fixture.h"

using Placement = WorldTest;

TEST_F(Placement, FungusBoundOfTenUnitsIsInclusive) {
  auto w = Build(DefaultParamsRecord());
  Critter& c = w->vecCritters[0];
  c.Reset(100.0, 100.0);
  EXPECT_TRUE(w->IsNearCritter({110.0, 100.0}));    // exactly 10: too near
  EXPECT_TRUE(w->IsNearCritter({106.0, 108.0}));    // 10 on a diagonal
  EXPECT_FALSE(w->IsNearCritter({110.05, 100.0}));  // just beyond
}

TEST_F(Placement, StartBoundOfFiftyUnitsIsInclusiveAndStartZeroIsFree) {
  auto w = Build(DefaultParamsRecord());
  w->vecStartPositions[0] = {100.0, 100.0};
  w->vecStartPositions[1] = {400.0, 400.0};
  EXPECT_FALSE(w->IsNearEarlierStart(0, {100.0, 100.0}));  // nothing earlier than start 0
  EXPECT_TRUE(w->IsNearEarlierStart(1, {150.0, 100.0}));   // exactly 50
  EXPECT_TRUE(w->IsNearEarlierStart(1, {130.0, 140.0}));   // 50 on a diagonal
  EXPECT_FALSE(w->IsNearEarlierStart(1, {150.05, 100.0}));
  EXPECT_FALSE(w->IsNearEarlierStart(1, {400.0, 400.0}));  // start 1 is not compared
  EXPECT_TRUE(w->IsNearEarlierStart(2, {400.0, 449.0}));
}

TEST_F(Placement, FungusSpotsCoverTheWholeCellInWholeUnits) {
  auto w = Build(DefaultParamsRecord());
  for (auto& c : w->vecCritters) c.Reset(255.5, 255.5);  // out of the way, in the block
  double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
  for (int i = 0; i < 20000; ++i) {
    const Vec2D f = w->PlaceFungus(0);
    ASSERT_EQ(f.x, std::floor(f.x));
    minX = std::min(minX, f.x), maxX = std::max(maxX, f.x);
    minY = std::min(minY, f.y), maxY = std::max(maxY, f.y);
  }
  EXPECT_EQ(minX, 1.0);
  EXPECT_EQ(maxX, 170.0);
  EXPECT_EQ(minY, 1.0);
  EXPECT_EQ(maxY, 170.0);
}

TEST_F(Placement, FungusDrawsXThenYAndRedrawsNearCritters) {
  auto w = Build(DefaultParamsRecord());
  for (auto& c : w->vecCritters) c.Reset(255.5, 255.5);
  SeedRandom(1);  // 41, 18467, ...
  const Vec2D f = w->PlaceFungus(7);  // cell 7: 341..510 on both axes
  EXPECT_EQ(f.x, 341 + 41 % 170);
  EXPECT_EQ(f.y, 341 + 18467 % 170);
  // A critter on that spot forces the next pair of draws.
  w->vecCritters[0].Reset(f.x, f.y);
  SeedRandom(1);
  const Vec2D g = w->PlaceFungus(7);
  EXPECT_EQ(g.x, 341 + 6334 % 170);
  EXPECT_EQ(g.y, 341 + 26500 % 170);
}

TEST_F(Placement, StartsKeepFiveUnitsInsideTheirCellAndFiftyApart) {
  auto w = Build(DefaultParamsRecord());
  for (int round = 0; round < 50; ++round) {
    w->PlaceStarts();
    for (int i = 0; i < w->iNumCritters; ++i) {
      const Vec2D& s = w->vecStartPositions[static_cast<std::size_t>(i)];
      const CellRect& r = w->rcCells[i % 8];
      ASSERT_GE(s.x, r.left + 5);
      ASSERT_LE(s.x, r.right - 5);
      ASSERT_GE(s.y, r.top + 5);
      ASSERT_LE(s.y, r.bottom - 5);
      for (int j = 0; j < i; ++j) {
        const Vec2D& o = w->vecStartPositions[static_cast<std::size_t>(j)];
        ASSERT_GT(std::hypot(s.x - o.x, s.y - o.y), 50.0);
      }
    }
  }
}

TEST_F(Placement, EightCrittersTakeOneStartPerCell) {
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = 8;
  auto w = Build(p);
  for (int round = 0; round < 20; ++round) {
    w->PlaceStarts();
    std::vector<int> cells;
    for (const Vec2D& s : w->vecStartPositions) cells.push_back(CellOf(*w, s.x, s.y));
    EXPECT_EQ(cells, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  }
}

TEST_F(Placement, LargestAcceptedCountIsPlacedWithoutRestarting) {
  // Every accepted count is served by the plain search; the bounded search
  // only matters beyond it.
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = kMaxCritterCount;
  p.EliteCount = 0;
  auto w = Build(p);
  for (std::uint32_t seed = 0; seed < 200; ++seed) {
    SeedRandom(seed);
    for (int i = 0; i < w->iNumCritters; ++i) {
      Vec2D spot;
      ASSERT_TRUE(w->PlaceStart(i % 8, i, spot)) << "seed " << seed << " start " << i;
      w->vecStartPositions[static_cast<std::size_t>(i)] = spot;
    }
  }
}

TEST_F(Placement, StartPlacementEndsEvenWhenCrowded) {
  // With 60 critters many layouts leave a later start no admissible spot,
  // where a search without bound would never end; the bounded one starts
  // the layout over and still keeps every rule.
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = 60;
  auto w = Build(p, 3);
  for (int i = 0; i < 60; ++i) {
    const Vec2D& s = w->vecStartPositions[static_cast<std::size_t>(i)];
    for (int j = 0; j < i; ++j)
      ASSERT_GT(std::hypot(s.x - w->vecStartPositions[static_cast<std::size_t>(j)].x,
                           s.y - w->vecStartPositions[static_cast<std::size_t>(j)].y),
                50.0);
  }
}

TEST_F(Placement, ShuffleKeepsAPermutation) {
  auto w = Build(DefaultParamsRecord());
  bool changed = false;
  for (int round = 0; round < 20; ++round) {
    const std::vector<int> before = w->vecStartOrder;
    w->ShuffleStartOrder();
    changed |= before != w->vecStartOrder;
    std::vector<int> sorted = w->vecStartOrder;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> identity(30);
    std::iota(identity.begin(), identity.end(), 0);
    ASSERT_EQ(sorted, identity);
  }
  EXPECT_TRUE(changed);
}

TEST_F(Placement, ShuffleOfTwoCrittersLeavesTheOrder) {
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = 2;
  p.EliteCount = 0;
  auto w = Build(p);
  w->vecStartOrder = {1, 0};
  for (int round = 0; round < 5; ++round) {
    w->ShuffleStartOrder();
    EXPECT_EQ(w->vecStartOrder, (std::vector<int>{1, 0}));
  }
}
