// Roulette selection, crossover and mutation, each checked draw by draw
// against a replay of the generator.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "common/random.h"
#include "genetics/genetic_algorithm.h"
#include "params/params.h"
#include "tests/genetics/replay.h"
#include "tests/support/test_params.h"

namespace {

ParamsRecord Rates(double crossover, double mutation, double step = 0.3) {
  ParamsRecord p = DefaultParamsRecord();
  p.CrossoverRate = crossover;
  p.MutationRate = mutation;
  p.MutationStepScale = step;
  return p;
}

// A sorted, scored population as the World would hand it over.
GeneticAlgorithm Scored(const std::vector<double>& fitness, int populationSize) {
  GeneticAlgorithm ga(populationSize, 2);
  ga.Evaluate(MarkedPopulation(fitness, 2));
  return ga;
}

int PositionOf(const GeneticAlgorithm& ga, const Genome& picked) {
  return static_cast<int>(&picked - ga.vecGenomes.data());
}

std::vector<double> Joined(const std::vector<double>& head, const std::vector<double>& tail, std::size_t cut) {
  std::vector<double> out(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(cut));
  out.insert(out.end(), tail.begin() + static_cast<std::ptrdiff_t>(cut), tail.end());
  return out;
}

}  // namespace

TEST(Roulette, FirstPositionWhoseRunningSumReachesTheSlice) {
  ScopedParams scope(DefaultParamsRecord());
  GeneticAlgorithm ga = Scored({1, 2, 3, 4}, 4);
  ASSERT_EQ(ga.dTotalFitness, 10.0);
  const double sums[] = {1, 3, 6, 10};
  std::set<int> seen;
  for (std::uint32_t k = 1; k <= 300; ++k) {
    const std::uint32_t seed = Spread(k);
    Replay replay(seed);
    const double slice = replay.Fraction() * 10.0;
    int expected = 0;
    while (slice > sums[expected]) ++expected;
    SeedRandom(seed);
    const int picked = PositionOf(ga, ga.SelectRoulette());
    ASSERT_EQ(picked, expected) << "seed " << seed;
    ASSERT_EQ(RandomInt(), replay.Int()) << "one draw per selection";
    seen.insert(picked);
  }
  EXPECT_EQ(seen.size(), 4u);
}

TEST(Roulette, SliceEqualToARunningSumPicksThatPosition) {
  ScopedParams scope(DefaultParamsRecord());
  // Seed 1 draws 41; with a total of 32768 the slice is exactly 41, which the
  // running sum reaches at position 1 (10 + 31).
  GeneticAlgorithm ga = Scored({10, 31, 32727}, 3);
  ASSERT_EQ(ga.dTotalFitness, 32768.0);
  SeedRandom(1);
  EXPECT_EQ(PositionOf(ga, ga.SelectRoulette()), 1);

  GeneticAlgorithm first = Scored({41, 100, 32627}, 3);
  SeedRandom(1);
  EXPECT_EQ(PositionOf(first, first.SelectRoulette()), 0);
}

TEST(Roulette, ZeroSliceStopsAtTheFirstPositionEvenWithZeroFitness) {
  ScopedParams scope(DefaultParamsRecord());
  GeneticAlgorithm ga = Scored({0, 0, 5}, 3);
  SeedRandom(FindSeed([](Replay& r) { return r.Int() == 0; }));
  EXPECT_EQ(PositionOf(ga, ga.SelectRoulette()), 0);
}

TEST(Roulette, ZeroTotalAlwaysPicksPositionZero) {
  ScopedParams scope(DefaultParamsRecord());
  GeneticAlgorithm ga = Scored({0, 0, 0, 0}, 4);
  for (std::uint32_t k = 1; k <= 50; ++k) {
    const std::uint32_t seed = Spread(k);
    Replay replay(seed);
    replay.Int();
    SeedRandom(seed);
    ASSERT_EQ(PositionOf(ga, ga.SelectRoulette()), 0);
    ASSERT_EQ(RandomInt(), replay.Int()) << "the draw is still taken";
  }
}

TEST(Roulette, OvershootGenomeIsNeverPickedAndUnreachableSliceGivesZero) {
  ScopedParams scope(DefaultParamsRecord());
  // Four genomes for a population of three: the total counts the World's
  // first three (1 + 100 + 2), the sort puts the 100 last, out of reach.
  GeneticAlgorithm ga(3, 2);
  ga.Evaluate(MarkedPopulation({1, 100, 2, 3}, 2));
  ASSERT_EQ(ga.dTotalFitness, 103.0);
  ASSERT_EQ(ga.vecGenomes.size(), 4u);
  ASSERT_EQ(ga.vecGenomes[3].dFitness, 100.0);
  const double sums[] = {1, 3, 6};
  int beyond = 0;
  for (std::uint32_t k = 1; k <= 200; ++k) {
    const std::uint32_t seed = Spread(k);
    Replay replay(seed);
    const double slice = replay.Fraction() * 103.0;
    int expected = 0;
    while (expected < 3 && slice > sums[expected]) ++expected;
    if (expected == 3) {
      expected = 0;
      ++beyond;
    }
    SeedRandom(seed);
    ASSERT_EQ(PositionOf(ga, ga.SelectRoulette()), expected) << "seed " << seed;
  }
  EXPECT_GT(beyond, 0);
}

TEST(Crossover, DrawAboveTheRateCopiesWithoutAPointDraw) {
  ScopedParams scope(Rates(0.5, 0.0));
  GeneticAlgorithm ga(2, 5);
  const std::vector<double> mum = {1, 2, 3, 4, 5}, dad = {11, 12, 13, 14, 15};
  const std::uint32_t seed = FindSeed([](Replay& r) { return r.Int() > 16384; });
  Replay replay(seed);
  replay.Int();
  SeedRandom(seed);
  std::vector<double> c1, c2;
  ga.Crossover(mum, dad, c1, c2);
  EXPECT_EQ(c1, mum);
  EXPECT_EQ(c2, dad);
  EXPECT_EQ(RandomInt(), replay.Int());
}

TEST(Crossover, DrawEqualToTheRateCrossesJustBelowDoesNot) {
  const std::vector<double> mum = {1, 2, 3, 4, 5}, dad = {11, 12, 13, 14, 15};
  const std::uint32_t seed = 2024;
  Replay replay(seed);
  const double r = replay.Fraction();
  const std::size_t cp = static_cast<std::size_t>(replay.Int() % 5);
  ASSERT_GT(r, 0.0);
  {
    ScopedParams scope(Rates(r, 0.0));
    GeneticAlgorithm ga(2, 5);
    SeedRandom(seed);
    std::vector<double> c1, c2;
    ga.Crossover(mum, dad, c1, c2);
    EXPECT_EQ(c1, Joined(mum, dad, cp));
    EXPECT_EQ(c2, Joined(dad, mum, cp));
    EXPECT_EQ(RandomInt(), replay.Int());
  }
  {
    ScopedParams scope(Rates(std::nextafter(r, 0.0), 0.0));
    GeneticAlgorithm ga(2, 5);
    SeedRandom(seed);
    std::vector<double> c1, c2;
    ga.Crossover(mum, dad, c1, c2);
    EXPECT_EQ(c1, mum);
    EXPECT_EQ(c2, dad);
  }
}

TEST(Crossover, PointIsTheSecondDrawModuloTheLength) {
  ScopedParams scope(Rates(1.0, 0.0));
  GeneticAlgorithm ga(2, 3);
  const std::vector<double> mum = {1, 2, 3}, dad = {-1, -2, -3};
  std::set<std::size_t> points;
  for (std::uint32_t k = 1; k <= 60; ++k) {
    const std::uint32_t seed = Spread(k);
    Replay replay(seed);
    replay.Int();
    const std::size_t cp = static_cast<std::size_t>(replay.Int() % 3);
    SeedRandom(seed);
    std::vector<double> c1, c2;
    ga.Crossover(mum, dad, c1, c2);
    ASSERT_EQ(c1, Joined(mum, dad, cp)) << "seed " << seed;
    ASSERT_EQ(c2, Joined(dad, mum, cp)) << "seed " << seed;
    ASSERT_EQ(RandomInt(), replay.Int());
    points.insert(cp);
  }
  EXPECT_EQ(points, (std::set<std::size_t>{0, 1, 2}));
}

TEST(Crossover, PointZeroSwapsTheParentsWhole) {
  ScopedParams scope(Rates(1.0, 0.0));
  GeneticAlgorithm ga(2, 4);
  const std::vector<double> mum = {1, 2, 3, 4}, dad = {5, 6, 7, 8};
  SeedRandom(FindSeed([](Replay& r) {
    r.Int();
    return r.Int() % 4 == 0;
  }));
  std::vector<double> c1, c2;
  ga.Crossover(mum, dad, c1, c2);
  EXPECT_EQ(c1, dad);
  EXPECT_EQ(c2, mum);
}

TEST(Crossover, EqualParentsAreCopiedAfterTheRateDraw) {
  ScopedParams scope(Rates(1.0, 0.0));
  GeneticAlgorithm ga(2, 4);
  const std::vector<double> parent = {0.5, -0.25, 0.125, 3};
  for (std::uint32_t seed : {1u, 2u, 3u, 99u}) {
    Replay replay(seed);
    replay.Int();
    SeedRandom(seed);
    std::vector<double> c1, c2;
    ga.Crossover(parent, parent, c1, c2);
    EXPECT_EQ(c1, parent);
    EXPECT_EQ(c2, parent);
    EXPECT_EQ(RandomInt(), replay.Int()) << "only the rate draw, no point";
  }
}

TEST(Mutation, RateZeroChangesNothingAndDrawsOncePerWeight) {
  ScopedParams scope(Rates(0.7, 0.0));
  GeneticAlgorithm ga(2, 6);
  std::vector<double> w = {0.5, -0.5, 0.25, 0, 1, -1};
  const std::vector<double> before = w;
  Replay replay(31);
  for (int i = 0; i < 6; ++i) replay.Int();
  SeedRandom(31);
  ga.Mutate(w);
  EXPECT_EQ(w, before);
  EXPECT_EQ(RandomInt(), replay.Int());
}

TEST(Mutation, RateOneMovesEveryWeightBySignedTimesScale) {
  ScopedParams scope(Rates(0.7, 1.0, 0.3));
  GeneticAlgorithm ga(2, 5);
  std::vector<double> w = {0.5, -0.5, 0.25, 0, 1};
  Replay replay(8);
  std::vector<double> expected = w;
  for (double& e : expected) {
    replay.Int();  // the rate test
    e = e + replay.Signed() * 0.3;
  }
  SeedRandom(8);
  ga.Mutate(w);
  EXPECT_EQ(w, expected);
  EXPECT_EQ(RandomInt(), replay.Int()) << "three draws per weight";
}

TEST(Mutation, DrawEqualToTheRateDoesNotMutateJustAboveDoes) {
  const std::uint32_t seed = 555;
  Replay replay(seed);
  const double r = replay.Fraction();
  const double step = replay.Signed() * 0.3;
  ASSERT_NE(step, 0.0);
  {
    ScopedParams scope(Rates(0.7, r));
    GeneticAlgorithm ga(2, 1);
    std::vector<double> w = {0.75};
    SeedRandom(seed);
    ga.Mutate(w);
    EXPECT_EQ(w[0], 0.75);
  }
  {
    ScopedParams scope(Rates(0.7, std::nextafter(r, 1.0)));
    GeneticAlgorithm ga(2, 1);
    std::vector<double> w = {0.75};
    SeedRandom(seed);
    ga.Mutate(w);
    EXPECT_EQ(w[0], 0.75 + step);
  }
}

TEST(Mutation, HalfRateReplaysDrawByDraw) {
  ScopedParams scope(Rates(0.7, 0.5, 0.3));
  GeneticAlgorithm ga(2, 10);
  int mutated = 0, kept = 0;
  for (std::uint32_t k = 1; k <= 20; ++k) {
    const std::uint32_t seed = Spread(k);
    std::vector<double> w(10);
    for (int i = 0; i < 10; ++i) w[static_cast<std::size_t>(i)] = 0.1 * i - 0.4;
    std::vector<double> expected = w;
    Replay replay(seed);
    for (double& e : expected) {
      if (replay.Fraction() < 0.5) {
        e = e + replay.Signed() * 0.3;
        ++mutated;
      } else {
        ++kept;
      }
    }
    SeedRandom(seed);
    ga.Mutate(w);
    ASSERT_EQ(w, expected) << "seed " << seed;
    ASSERT_EQ(RandomInt(), replay.Int());
  }
  EXPECT_GT(mutated, 0);
  EXPECT_GT(kept, 0);
}

TEST(Mutation, StepScaleIsReadAtEveryCall) {
  ScopedParams scope(Rates(0.7, 1.0, 0.3));
  GeneticAlgorithm ga(2, 3);
  Params.MutationStepScale = 2.0;
  std::vector<double> w = {0.1, 0.2, 0.3};
  Replay replay(17);
  std::vector<double> expected = w;
  for (double& e : expected) {
    replay.Int();
    e = e + replay.Signed() * 2.0;
  }
  SeedRandom(17);
  ga.Mutate(w);
  EXPECT_EQ(w, expected);

  Params.MutationStepScale = 0.0;
  const std::vector<double> before = w;
  ga.Mutate(w);
  EXPECT_EQ(w, before);
}
