// The shape of a new generation (elite block, children, overshoot), the
// exact order of draws in a breeding step, and the elite put in front of
// the World's list.
#include <gtest/gtest.h>

#include "common/random.h"
#include "genetics/genetic_algorithm.h"
#include "params/params.h"
#include "tests/genetics/replay.h"
#include "tests/support/test_params.h"

namespace {

ParamsRecord Breeding(int eliteCount, int eliteFactor, double crossover = 0.7, double mutation = 0.1) {
  ParamsRecord p = DefaultParamsRecord();
  p.EliteCount = eliteCount;
  p.EliteCopyFactor = eliteFactor;
  p.CrossoverRate = crossover;
  p.MutationRate = mutation;
  p.MutationStepScale = 0.3;
  return p;
}

// Distinct positive scores in no particular order: sorted they run 1 … 10.
const std::vector<double> kTenScores = {5, 3, 9, 1, 7, 2, 10, 4, 8, 6};

struct Generation {
  Population sorted;  // vecGenomes after Evaluate
  Population next;    // what Epoch returned
};

Generation BreedTen(int eliteCount, int eliteFactor) {
  ScopedParams scope(Breeding(eliteCount, eliteFactor));
  SeedRandom(12);
  GeneticAlgorithm ga(10, 3);
  ga.Evaluate(MarkedPopulation(kTenScores, 3));
  Generation g{ga.vecGenomes, ga.Epoch()};
  EXPECT_EQ(g.next.size(), ga.vecGenomes.size());
  for (std::size_t i = 0; i < g.next.size() && i < ga.vecGenomes.size(); ++i)
    EXPECT_EQ(g.next[i].vecNetWeights, ga.vecGenomes[i].vecNetWeights) << "Epoch returns the new vecGenomes";
  return g;
}

void ExpectElite(const Generation& g, std::size_t from, std::size_t count) {
  for (std::size_t k = 0; k < count; ++k) {
    EXPECT_EQ(g.next[k].vecNetWeights, g.sorted[from + k].vecNetWeights) << "elite " << k;
    EXPECT_EQ(g.next[k].dFitness, g.sorted[from + k].dFitness) << "elite " << k;
  }
}

void ExpectChildren(const Generation& g, std::size_t from) {
  for (std::size_t k = from; k < g.next.size(); ++k) {
    EXPECT_EQ(g.next[k].dFitness, 0.0) << "child " << k;
    EXPECT_EQ(g.next[k].vecNetWeights.size(), 3u) << "child " << k;
  }
}

}  // namespace

TEST(EpochShape, EvenEliteIsCopiedWeakestFirstThenChildren) {
  const Generation g = BreedTen(4, 1);
  ASSERT_EQ(g.next.size(), 10u);
  ExpectElite(g, 6, 4);
  EXPECT_EQ(g.next[0].dFitness, 7.0);
  EXPECT_EQ(g.next[3].dFitness, 10.0);
  ExpectChildren(g, 4);
}

TEST(EpochShape, OddEliteProductGivesOnlyChildren) {
  const Generation g = BreedTen(3, 1);
  ASSERT_EQ(g.next.size(), 10u);
  ExpectChildren(g, 0);
}

TEST(EpochShape, OddEliteWithEvenFactorOvershootsByOne) {
  const Generation g = BreedTen(3, 2);
  // 3 elite, then pairs of children until at least 10: 3 + 4 x 2 = 11.
  ASSERT_EQ(g.next.size(), 11u);
  ExpectElite(g, 7, 3);
  ExpectChildren(g, 3);
}

TEST(EpochShape, NoEliteGivesOnlyChildren) {
  const Generation g = BreedTen(0, 1);
  ASSERT_EQ(g.next.size(), 10u);
  ExpectChildren(g, 0);
}

TEST(EpochShape, OvershootGenomeTakesNoPartInTheNextBreeding) {
  ScopedParams scope(Breeding(3, 2, 0.0, 0.0));
  SeedRandom(4);
  GeneticAlgorithm ga(10, 3);
  ga.Evaluate(MarkedPopulation(kTenScores, 3));
  Population world = ga.Epoch();
  ASSERT_EQ(world.size(), 11u);

  // The World scores all eleven; the extra one is the best by far.
  for (std::size_t i = 0; i < world.size(); ++i) world[i] = Marked(100.0 * static_cast<double>(i + 1), 3, kTenScores[i % 10]);
  world[10].dFitness = 1000.0;
  ga.Evaluate(world);
  ASSERT_EQ(ga.vecGenomes.size(), 11u);
  ASSERT_EQ(ga.vecGenomes[10].dFitness, 1000.0);
  const Population sorted = ga.vecGenomes;

  const Population next = ga.Epoch();
  ASSERT_EQ(next.size(), 11u);
  for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(next[k].vecNetWeights, sorted[7 + k].vecNetWeights);
  for (const Genome& g : next) {
    EXPECT_NE(g.vecNetWeights, world[10].vecNetWeights);
    EXPECT_NE(g.dFitness, 1000.0);
  }
}

TEST(BreedingStep, DrawOrderReplayedByHand) {
  // Two genomes of three weights, no elite: one breeding step per Epoch.
  ScopedParams scope(Breeding(0, 1, 0.7, 0.3));
  const Population world = {Marked(100, 3, 3.0), Marked(200, 3, 1.0)};
  const Population sorted = {world[1], world[0]};  // fitness 1 then 3, total 4
  int crossed = 0, copiedByRate = 0, sameParents = 0, mutatedWeights = 0;
  for (std::uint32_t k = 1; k <= 120; ++k) {
    const std::uint32_t seed = Spread(k);
    GeneticAlgorithm ga(2, 3);
    ga.Evaluate(world);

    Replay replay(seed);
    auto select = [&replay] { return replay.Fraction() * 4.0 <= 1.0 ? 0u : 1u; };
    const std::vector<double>& mum = sorted[select()].vecNetWeights;
    const std::vector<double>& dad = sorted[select()].vecNetWeights;
    std::vector<double> c1 = mum, c2 = dad;
    const bool rateAllows = replay.Fraction() <= 0.7;
    if (rateAllows && mum != dad) {
      const std::size_t cp = static_cast<std::size_t>(replay.Int() % 3);
      for (std::size_t i = cp; i < 3; ++i) {
        c1[i] = dad[i];
        c2[i] = mum[i];
      }
      ++crossed;
    } else if (mum == dad) {
      ++sameParents;
    } else {
      ++copiedByRate;
    }
    for (std::vector<double>* child : {&c1, &c2})
      for (double& w : *child)
        if (replay.Fraction() < 0.3) {
          w = w + replay.Signed() * 0.3;
          ++mutatedWeights;
        }

    SeedRandom(seed);
    const Population next = ga.Epoch();
    ASSERT_EQ(next.size(), 2u);
    ASSERT_EQ(next[0].vecNetWeights, c1) << "seed " << seed;
    ASSERT_EQ(next[1].vecNetWeights, c2) << "seed " << seed;
    EXPECT_EQ(next[0].dFitness, 0.0);
    EXPECT_EQ(next[1].dFitness, 0.0);
    ASSERT_EQ(RandomInt(), replay.Int()) << "seed " << seed << ": no draw more or less";
  }
  EXPECT_GT(crossed, 0);
  EXPECT_GT(copiedByRate, 0);
  EXPECT_GT(sameParents, 0);
  EXPECT_GT(mutatedWeights, 0);
}

TEST(BreedingStep, AllZeroFitnessBreedsMutatedCopiesOfPositionZero) {
  ScopedParams scope(Breeding(0, 1, 1.0, 0.5));
  Population world;
  for (int i = 0; i < 6; ++i) world.push_back(Marked(10.0 * (i + 1), 4, 0.0));
  GeneticAlgorithm ga(6, 4);
  ga.Evaluate(world);

  // Per step: two slices, the crossover test, no point (the parents are the
  // same genome), then the two children's mutation draws.
  Replay replay(321);
  Population expected;
  for (int step = 0; step < 3; ++step) {
    for (int d = 0; d < 3; ++d) replay.Int();
    for (int c = 0; c < 2; ++c) {
      Genome child = world[0];
      child.dFitness = 0.0;
      for (double& w : child.vecNetWeights)
        if (replay.Fraction() < 0.5) w = w + replay.Signed() * 0.3;
      expected.push_back(child);
    }
  }
  SeedRandom(321);
  const Population next = ga.Epoch();
  ASSERT_EQ(next.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(next[i].vecNetWeights, expected[i].vecNetWeights) << "child " << i;
    EXPECT_EQ(next[i].dFitness, 0.0);
  }
  EXPECT_EQ(RandomInt(), replay.Int());
}

TEST(BreedingStep, AllZeroFitnessWithoutMutationCopiesPositionZeroExactly) {
  ScopedParams scope(Breeding(0, 1, 1.0, 0.0));
  Population world;
  for (int i = 0; i < 6; ++i) world.push_back(Marked(10.0 * (i + 1), 4, 0.0));
  GeneticAlgorithm ga(6, 4);
  ga.Evaluate(world);
  Replay replay(77);
  for (int i = 0; i < 3 * (3 + 2 * 4); ++i) replay.Int();
  SeedRandom(77);
  for (const Genome& child : ga.Epoch()) EXPECT_EQ(child.vecNetWeights, world[0].vecNetWeights);
  EXPECT_EQ(RandomInt(), replay.Int());
}

TEST(PrependElite, EvenProductPutsTheBestInFrontBetterSecond) {
  ScopedParams scope(Breeding(2, 1));
  GeneticAlgorithm ga(6, 2);
  ga.Evaluate(MarkedPopulation({4, 9, 1, 7, 3, 8}, 2));
  Population world;
  for (int i = 0; i < 6; ++i) world.push_back(Marked(1000.0 + 10 * i, 2, 0.5 * i));
  const Population result = ga.PrependElite(world);
  ASSERT_EQ(result.size(), 6u);
  EXPECT_EQ(result[0].dFitness, 8.0);
  EXPECT_EQ(result[0].vecNetWeights, Marked(600, 2, 0).vecNetWeights);
  EXPECT_EQ(result[1].dFitness, 9.0);
  EXPECT_EQ(result[1].vecNetWeights, Marked(200, 2, 0).vecNetWeights);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(result[2 + i].vecNetWeights, world[i].vecNetWeights);
    EXPECT_EQ(result[2 + i].dFitness, world[i].dFitness);
  }
}

TEST(PrependElite, OddProductGivesTheWorldsFirstGenomesInOrder) {
  ScopedParams scope(Breeding(3, 1));
  GeneticAlgorithm ga(6, 2);
  ga.Evaluate(MarkedPopulation({4, 9, 1, 7, 3, 8}, 2));
  Population world;
  for (int i = 0; i < 7; ++i) world.push_back(Marked(1000.0 + 10 * i, 2, 0.5 * i));
  const Population result = ga.PrependElite(world);
  ASSERT_EQ(result.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(result[i].vecNetWeights, world[i].vecNetWeights);
    EXPECT_EQ(result[i].dFitness, world[i].dFitness);
  }
}

TEST(PrependElite, OddEliteWithEvenFactorStillGivesExactlyThePopulationSize) {
  ScopedParams scope(Breeding(3, 2));
  GeneticAlgorithm ga(10, 2);
  ga.Evaluate(MarkedPopulation(kTenScores, 2));
  Population world;
  for (int i = 0; i < 11; ++i) world.push_back(Marked(1000.0 + 10 * i, 2, 0.0));
  const Population result = ga.PrependElite(world);
  ASSERT_EQ(result.size(), 10u);
  EXPECT_EQ(result[0].dFitness, 8.0);
  EXPECT_EQ(result[1].dFitness, 9.0);
  EXPECT_EQ(result[2].dFitness, 10.0);
  for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(result[3 + i].vecNetWeights, world[i].vecNetWeights);
}
