// Evaluate: the fitness statistics in critter order, then the stable sort.
#include <gtest/gtest.h>

#include "genetics/genetic_algorithm.h"
#include "params/params.h"
#include "tests/genetics/replay.h"
#include "tests/support/test_params.h"

namespace {

std::vector<double> Scores(const Population& p) {
  std::vector<double> out;
  for (const Genome& g : p) out.push_back(g.dFitness);
  return out;
}

}  // namespace

TEST(Statistics, BestWorstTotalOfASmallGeneration) {
  ScopedParams scope(DefaultParamsRecord());
  GeneticAlgorithm ga(4, 2);
  ga.Evaluate(MarkedPopulation({2, 5, 5, 1}, 2));
  EXPECT_EQ(ga.dBestFitness, 5.0);
  EXPECT_EQ(ga.iBestIndex, 1);
  EXPECT_EQ(ga.dWorstFitness, 1.0);
  EXPECT_EQ(ga.iWorstIndex, 3);
  EXPECT_EQ(ga.dTotalFitness, 13.0);
  EXPECT_EQ(Scores(ga.vecGenomes), (std::vector<double>{1, 2, 5, 5}));
}

TEST(Statistics, TiesGoToTheLowestPosition) {
  ScopedParams scope(DefaultParamsRecord());
  GeneticAlgorithm ga(6, 1);
  ga.Evaluate(MarkedPopulation({3, 7, 2, 7, 2, 4}, 1));
  EXPECT_EQ(ga.iBestIndex, 1);
  EXPECT_EQ(ga.iWorstIndex, 2);
}

TEST(Statistics, AllZeroAtTheFirstEvaluation) {
  ScopedParams scope(DefaultParamsRecord());
  GeneticAlgorithm ga(5, 2);
  ga.Evaluate(MarkedPopulation({0, 0, 0, 0, 0}, 2));
  EXPECT_EQ(ga.dBestFitness, 0.0);
  EXPECT_EQ(ga.iBestIndex, 0);
  EXPECT_EQ(ga.dWorstFitness, 0.0);
  EXPECT_EQ(ga.iWorstIndex, 0);
  EXPECT_EQ(ga.dTotalFitness, 0.0);
}

TEST(Statistics, BestIndexIsKeptWhenNothingBeatsZero) {
  ScopedParams scope(DefaultParamsRecord());
  GeneticAlgorithm ga(10, 2);
  ga.Evaluate(MarkedPopulation({1, 2, 3, 0.5, 4, 5, 6, 9, 8, 7}, 2));
  ASSERT_EQ(ga.iBestIndex, 7);
  ASSERT_EQ(ga.iWorstIndex, 3);
  ga.Evaluate(MarkedPopulation(std::vector<double>(10, 0.0), 2));
  EXPECT_EQ(ga.dBestFitness, 0.0);
  EXPECT_EQ(ga.iBestIndex, 7);
  // Zero is below the worst's starting value, so the worst moves to 0.
  EXPECT_EQ(ga.dWorstFitness, 0.0);
  EXPECT_EQ(ga.iWorstIndex, 0);
  EXPECT_EQ(ga.dTotalFitness, 0.0);
}

TEST(Statistics, StartingValuesBoundBestAndWorst) {
  ScopedParams scope(DefaultParamsRecord());
  GeneticAlgorithm ga(3, 1);
  ga.Evaluate(MarkedPopulation({4, 1, 6}, 1));
  ASSERT_EQ(ga.iBestIndex, 2);
  ASSERT_EQ(ga.iWorstIndex, 1);

  // Only negative scores: none beats a best of 0.
  ga.Evaluate(MarkedPopulation({-1, -3, -2}, 1));
  EXPECT_EQ(ga.dBestFitness, 0.0);
  EXPECT_EQ(ga.iBestIndex, 2);
  EXPECT_EQ(ga.dWorstFitness, -3.0);
  EXPECT_EQ(ga.iWorstIndex, 1);
  EXPECT_EQ(ga.dTotalFitness, -6.0);

  // Only scores above 9999999: none is below the worst's start.
  ga.Evaluate(MarkedPopulation({2e7, 3e7, 1.5e7}, 1));
  EXPECT_EQ(ga.dWorstFitness, 9999999.0);
  EXPECT_EQ(ga.iWorstIndex, 1);
  EXPECT_EQ(ga.dBestFitness, 3e7);
  EXPECT_EQ(ga.iBestIndex, 1);
}

TEST(Statistics, ExtraGenomeIsIgnoredByTheStatisticsButSorted) {
  ScopedParams scope(DefaultParamsRecord());
  GeneticAlgorithm ga(4, 2);
  ga.Evaluate(MarkedPopulation({2, 3, 4, 5, 100}, 2));
  EXPECT_EQ(ga.dTotalFitness, 14.0);
  EXPECT_EQ(ga.dBestFitness, 5.0);
  EXPECT_EQ(ga.iBestIndex, 3);

  ga.Evaluate(MarkedPopulation({6, 3, 4, 5, -1}, 2));
  EXPECT_EQ(ga.dWorstFitness, 3.0);
  EXPECT_EQ(ga.iWorstIndex, 1);
  EXPECT_EQ(ga.dTotalFitness, 18.0);
  ASSERT_EQ(ga.vecGenomes.size(), 5u);
  EXPECT_EQ(Scores(ga.vecGenomes), (std::vector<double>{-1, 3, 4, 5, 6}));
  EXPECT_EQ(ga.vecGenomes[0].vecNetWeights, Marked(500, 2, 0).vecNetWeights);
}

TEST(EvaluateSort, EqualScoresKeepTheWorldsOrder) {
  ScopedParams scope(DefaultParamsRecord());
  const std::vector<double> scores = {2, 1, 2, 0, 1, 2, 1, 0, 2, 1, 2, 2, 0, 1, 2, 1, 2, 0, 1, 2};
  GeneticAlgorithm ga(static_cast<int>(scores.size()), 2);
  const Population world = MarkedPopulation(scores, 2);
  ga.Evaluate(world);
  ASSERT_EQ(ga.vecGenomes.size(), world.size());
  // Expected: indexes grouped by score, each group in World order.
  std::vector<std::vector<double>> expected;
  for (double s : {0.0, 1.0, 2.0})
    for (const Genome& g : world)
      if (g.dFitness == s) expected.push_back(g.vecNetWeights);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(ga.vecGenomes[i].vecNetWeights, expected[i]) << i;
}

TEST(EvaluateSort, TakesACopyOfTheWorldsList) {
  ScopedParams scope(DefaultParamsRecord());
  GeneticAlgorithm ga(3, 2);
  Population world = MarkedPopulation({3, 1, 2}, 2);
  ga.Evaluate(world);
  EXPECT_EQ(Scores(world), (std::vector<double>{3, 1, 2}));
  world[0].vecNetWeights[0] = -5.0;
  EXPECT_EQ(ga.vecGenomes[2].vecNetWeights, Marked(100, 2, 0).vecNetWeights);
}
