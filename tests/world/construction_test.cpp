#include <cmath>
#include <filesystem>
#include <set>

#include "genetics/weight_file.h"
#include "tests/world/world_fixture.h"

using WorldConstruction = WorldTest;

TEST_F(WorldConstruction, CrittersStandOnTheirStartsInTurnOfCells) {
  auto w = Build(DefaultParamsRecord());
  ASSERT_EQ(w->iNumCritters, 30);
  ASSERT_EQ(w->vecCritters.size(), 30u);
  for (int i = 0; i < w->iNumCritters; ++i) {
    const Critter& c = w->vecCritters[static_cast<std::size_t>(i)];
    const Vec2D& s = w->vecStartPositions[static_cast<std::size_t>(i)];
    EXPECT_EQ(c.iIndex, i);
    EXPECT_EQ(c.dPosX, s.x);
    EXPECT_EQ(c.dPosY, s.y);
    EXPECT_EQ(CellOf(*w, s.x, s.y), i % 8);
    EXPECT_EQ(w->vecStartOrder[static_cast<std::size_t>(i)], i);
    EXPECT_EQ(c.iTarget, -1);
  }
}

TEST_F(WorldConstruction, FungiGoToTheCellsInTurnAwayFromCritters) {
  ParamsRecord p = DefaultParamsRecord();
  p.FungusCount = 9;
  auto w = Build(p);
  ASSERT_EQ(w->vecFungi.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    const Vec2D& f = w->vecFungi[static_cast<std::size_t>(i)];
    EXPECT_EQ(CellOf(*w, f.x, f.y), i % 8) << i;
    EXPECT_EQ(f.x, std::floor(f.x));
    EXPECT_FALSE(w->IsNearCritter(f));
  }
}

TEST_F(WorldConstruction, StatisticsStartAtZeroAndRatesAreRealDivisions) {
  auto w = Build(DefaultParamsRecord());
  EXPECT_DOUBLE_EQ(w->dChanceWinRate, 4.0 / 30.0);
  EXPECT_EQ(w->dTickScale, 0.9765625);
  EXPECT_EQ(w->iTicks, 0);
  EXPECT_EQ(w->iGeneration, 0);
  EXPECT_EQ(w->iLastHeaderGeneration, -1);
  EXPECT_EQ(w->iNextFungusCell, 0);
  EXPECT_EQ(w->dBestComposite, 0.0);
  EXPECT_EQ(w->dBestFitnessRollingAvg, 0.0);
  EXPECT_EQ(w->dAvgFitnessRollingAvg, 0.0);
  EXPECT_TRUE(w->vecBestRollingHistory.empty());
  EXPECT_FALSE(w->bFastMode || w->bShowSensors || w->bDrawnThisGeneration || w->bSaveAllPending);
  EXPECT_EQ(w->iGraphWidth, 511);
  EXPECT_EQ(w->iGraphHeight, 511);
  EXPECT_EQ(w->hBluePen, kBluePen);
  EXPECT_EQ(w->hRedPen, kRedPen);
  EXPECT_EQ(w->hGreenPen, kGreenPen);
  EXPECT_EQ(w->hOldPen, kNoPen);
  EXPECT_EQ(w->vecCritterShape.size(), 4u);
  EXPECT_EQ(w->vecFungusShape.size(), 4u);
}

TEST_F(WorldConstruction, CrittersRunTheGenomesOfTheWorldsList) {
  auto w = Build(DefaultParamsRecord());
  EXPECT_EQ(w->iNumWeights, 26);
  const Population ga = w->pGA->GetPopulation();
  for (int i = 0; i < w->iNumCritters; ++i) {
    const auto weights = w->vecCritters[static_cast<std::size_t>(i)].Net.Weights();
    EXPECT_EQ(std::vector<double>(weights.begin(), weights.end()), w->vecPopulation[static_cast<std::size_t>(i)].vecNetWeights);
    EXPECT_EQ(w->vecPopulation[static_cast<std::size_t>(i)].vecNetWeights, ga[static_cast<std::size_t>(i)].vecNetWeights);
  }
}

TEST_F(WorldConstruction, WeightFileReplacesTheRandomWeights) {
  Population saved(30, Genome{std::vector<double>(26), 0.0});
  for (int g = 0; g < 30; ++g)
    for (int k = 0; k < 26; ++k) saved[static_cast<std::size_t>(g)].vecNetWeights[static_cast<std::size_t>(k)] = g + k / 100.0;
  SaveAllWeights(saved, 30, 26);
  auto w = Build(DefaultParamsRecord());
  for (int i = 0; i < 30; ++i) {
    const auto weights = w->vecCritters[static_cast<std::size_t>(i)].Net.Weights();
    EXPECT_EQ(std::vector<double>(weights.begin(), weights.end()), saved[static_cast<std::size_t>(i)].vecNetWeights);
  }
  // The genetic algorithm still holds its random population until the first evaluation.
  EXPECT_NE(w->pGA->GetPopulation()[0].vecNetWeights, saved[0].vecNetWeights);
}

TEST_F(WorldConstruction, RandomDrawsFallInTheirOrder) {
  // Starts, then every network, then the first population, then the fungi:
  // rebuilding the same seed with a different fungus count changes only the
  // fungi after the common ones, and nothing before them.
  ParamsRecord p = DefaultParamsRecord();
  auto a = Build(p, 7);
  p.FungusCount = 41;
  auto b = Build(p, 7);
  for (int i = 0; i < 30; ++i) {
    EXPECT_EQ(a->vecStartPositions[static_cast<std::size_t>(i)].x, b->vecStartPositions[static_cast<std::size_t>(i)].x);
    EXPECT_EQ(a->vecPopulation[static_cast<std::size_t>(i)].vecNetWeights, b->vecPopulation[static_cast<std::size_t>(i)].vecNetWeights);
  }
  for (int i = 0; i < 40; ++i) EXPECT_EQ(a->vecFungi[static_cast<std::size_t>(i)].x, b->vecFungi[static_cast<std::size_t>(i)].x);
  // The population comes after 30 networks of 26 weights, two draws each.
  SeedRandom(7);
  ParamsRecord q = DefaultParamsRecord();
  ScopedParams scope(q);
  World probe;
  SeedRandom(7);
  probe.PlaceStarts();
  for (int i = 0; i < 30 * 26 * 2; ++i) RandomInt();
  const double first = RandomSigned();
  EXPECT_EQ(a->vecPopulation[0].vecNetWeights[0], first);
}

TEST_F(WorldConstruction, ASecondWorldWithMoreFungiHasFlagsForAll) {
  ParamsRecord p = DefaultParamsRecord();
  p.FungusCount = 5;
  auto small = Build(p);
  EXPECT_EQ(g_Arena.vecExcluded.size(), 5u);
  p.FungusCount = 60;
  auto large = Build(p);
  EXPECT_EQ(g_Arena.vecExcluded.size(), 60u);
  for (int t = 0; t < 300; ++t) ASSERT_TRUE(large->Update());
}
