#include <gtest/gtest.h>

#include "common/random.h"
#include "genetics/genetic_algorithm.h"
#include "params/params.h"
#include "tests/genetics/replay.h"
#include "tests/support/test_params.h"

namespace {

ParamsRecord Rates(double crossover, double mutation) {
  ParamsRecord p = DefaultParamsRecord();
  p.CrossoverRate = crossover;
  p.MutationRate = mutation;
  return p;
}

ParamsRecord Elite(int count, int factor) {
  ParamsRecord p = DefaultParamsRecord();
  p.EliteCount = count;
  p.EliteCopyFactor = factor;
  return p;
}

}  // namespace

TEST(FirstPopulation, SeedOneGivesTheHandWorkedWeights) {
  ScopedParams scope(DefaultParamsRecord());
  SeedRandom(1);
  GeneticAlgorithm ga(3, 2);
  ASSERT_EQ(ga.vecGenomes.size(), 3u);
  ASSERT_EQ(ga.vecGenomes[0].vecNetWeights.size(), 2u);
  // Seed 1 draws 41, 18467, 6334, 26500: weight 0 from the first pair,
  // weight 1 from the second.
  EXPECT_EQ(ga.vecGenomes[0].vecNetWeights[0], 41.0 / 32768.0 - 18467.0 / 32768.0);
  EXPECT_EQ(ga.vecGenomes[0].vecNetWeights[1], 6334.0 / 32768.0 - 26500.0 / 32768.0);
}

TEST(FirstPopulation, TwoDrawsPerWeightGenomeByGenome) {
  ScopedParams scope(DefaultParamsRecord());
  for (std::uint32_t seed : {1u, 77u, 4096u}) {
    Replay replay(seed);
    std::vector<std::vector<double>> expected(3);
    for (auto& genome : expected)
      for (int j = 0; j < 2; ++j) genome.push_back(replay.Signed());
    SeedRandom(seed);
    GeneticAlgorithm ga(3, 2);
    // Exactly 12 draws: the next one is the 13th of the sequence.
    EXPECT_EQ(RandomInt(), replay.Int());
    ASSERT_EQ(ga.vecGenomes.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(ga.vecGenomes[i].vecNetWeights, expected[i]) << "genome " << i;
  }
}

TEST(FirstPopulation, ShapeFitnessAndRange) {
  ScopedParams scope(DefaultParamsRecord());
  SeedRandom(5);
  GeneticAlgorithm ga(30, 18);
  EXPECT_EQ(ga.iPopulationSize, 30);
  EXPECT_EQ(ga.iGenomeLength, 18);
  ASSERT_EQ(ga.vecGenomes.size(), 30u);
  for (const Genome& g : ga.vecGenomes) {
    EXPECT_EQ(g.dFitness, 0.0);
    ASSERT_EQ(g.vecNetWeights.size(), 18u);
    for (double w : g.vecNetWeights) {
      EXPECT_GT(w, -1.0);
      EXPECT_LT(w, 1.0);
    }
  }
}

TEST(FirstPopulation, GetPopulationIsAnIndependentCopy) {
  ScopedParams scope(DefaultParamsRecord());
  SeedRandom(3);
  GeneticAlgorithm ga(4, 5);
  const Population before = ga.vecGenomes;

  Population copy = ga.GetPopulation();
  ASSERT_EQ(copy.size(), 4u);
  for (std::size_t i = 0; i < copy.size(); ++i) EXPECT_EQ(copy[i].vecNetWeights, before[i].vecNetWeights);
  copy[0].vecNetWeights[0] = 42.0;
  copy[1].dFitness = 7.0;
  copy.pop_back();
  EXPECT_EQ(ga.vecGenomes.size(), 4u);
  EXPECT_EQ(ga.vecGenomes[0].vecNetWeights, before[0].vecNetWeights);
  EXPECT_EQ(ga.vecGenomes[1].dFitness, 0.0);

  const Population second = ga.GetPopulation();
  ga.vecGenomes[2].vecNetWeights[3] = -42.0;
  EXPECT_EQ(second[2].vecNetWeights, before[2].vecNetWeights);
}

TEST(GenomeOrder, FitnessAloneDecides) {
  Genome a = Marked(1.0, 3, 2.0);
  Genome b = Marked(9.0, 3, 2.0);
  EXPECT_FALSE(a < b);
  EXPECT_FALSE(b < a);
  b.dFitness = 2.5;
  EXPECT_TRUE(a < b);
  EXPECT_FALSE(b < a);
}

TEST(GeneticAlgorithmRates, ReadFromParamsAtConstructionOnly) {
  ScopedParams scope(Rates(0.0, 0.0));
  GeneticAlgorithm ga(2, 4);
  Params.CrossoverRate = 1.0;
  Params.MutationRate = 1.0;
  EXPECT_EQ(ga.dCrossoverRate, 0.0);
  EXPECT_EQ(ga.dMutationRate, 0.0);

  // Behaviour follows the construction-time rates: nothing mutates and no
  // crossover point is drawn although Params now say "always".
  std::vector<double> w = {0.1, 0.2, 0.3, 0.4};
  SeedRandom(9);
  ga.Mutate(w);
  EXPECT_EQ(w, (std::vector<double>{0.1, 0.2, 0.3, 0.4}));
  const std::vector<double> mum = {1, 2, 3, 4}, dad = {5, 6, 7, 8};
  std::vector<double> c1, c2;
  SeedRandom(FindSeed([](Replay& r) { return r.Int() > 0; }));
  ga.Crossover(mum, dad, c1, c2);
  EXPECT_EQ(c1, mum);
  EXPECT_EQ(c2, dad);

  ScopedParams other(Rates(0.7, 0.1));
  GeneticAlgorithm later(2, 4);
  EXPECT_EQ(later.dCrossoverRate, 0.7);
  EXPECT_EQ(later.dMutationRate, 0.1);
}

TEST(EliteParity, EvenProductAllowsTheElite) {
  struct Case {
    int count, factor;
    bool allowed;
  };
  for (const Case& c : {Case{4, 1, true}, Case{3, 1, false}, Case{3, 2, true}, Case{0, 1, true}, Case{1, 1, false},
                        Case{5, 3, false}, Case{2, 3, true}, Case{3, 0, true}}) {
    ScopedParams scope(Elite(c.count, c.factor));
    EXPECT_EQ(GeneticAlgorithm::EliteAllowed(), c.allowed) << c.count << " x " << c.factor;
  }
}
