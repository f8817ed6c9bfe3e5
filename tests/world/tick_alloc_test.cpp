// A tick allocates nothing: the tick is the speed of evolution, and a heap
// call per tick or per critter would show up in every generation. Generation
// ends (breeding, new population) are allowed to allocate and are kept out
// of the counted ticks.
#include <new>
#include <vector>

#include "tests/support/alloc_counter.h"
#include "tests/world/world_fixture.h"

namespace {

struct HeapCalls {
  long news;
  long deletes;
};

HeapCalls Now() { return {AllocationCount(), ReleaseCount()}; }

// What the counted ticks did, gathered without any test macro in between
// (a failing assertion would itself allocate).
struct Counted {
  HeapCalls calls{0, 0};
  bool allTicksRan = true;
  int generationBefore = 0;
  int generationAfter = 0;
  int ticksBefore = 0;
  int ticksAfter = 0;
  double fitnessGained = 0.0;
};

double TotalFitness(const World& w) {
  double sum = 0.0;
  for (const Critter& c : w.vecCritters) sum += c.dFitness;
  return sum;
}

constexpr int kWarmUpTicks = 300;
constexpr int kCountedTicks = 1000;

Counted CountTicks(World& w, int ticks) {
  Counted r;
  r.generationBefore = w.iGeneration;
  r.ticksBefore = w.iTicks;
  const double fitness = TotalFitness(w);
  const HeapCalls before = Now();
  for (int t = 0; t < ticks; ++t) r.allTicksRan &= w.Update();
  const HeapCalls after = Now();
  r.calls = {after.news - before.news, after.deletes - before.deletes};
  r.generationAfter = w.iGeneration;
  r.ticksAfter = w.iTicks;
  r.fitnessGained = TotalFitness(w) - fitness;
  return r;
}

void ExpectNoHeapCalls(const Counted& r, int firstTick) {
  ASSERT_TRUE(r.allTicksRan);
  // Only ticks were counted: no generation end fell inside.
  EXPECT_EQ(r.ticksBefore, firstTick);
  EXPECT_EQ(r.ticksAfter, firstTick + kCountedTicks);
  EXPECT_EQ(r.generationAfter, r.generationBefore);
  // Critters ate, so moving an eaten fungus was among the counted work.
  EXPECT_GT(r.fitnessGained, 0.0);
  EXPECT_EQ(r.calls.news, 0);
  EXPECT_EQ(r.calls.deletes, 0);
}

}  // namespace

using TickAlloc = WorldTest;

TEST_F(TickAlloc, CountingSeesEveryKindOfNew) {
  const HeapCalls before = Now();
  int* volatile one = new int(7);
  delete one;
  const HeapCalls afterScalar = Now();
  {
    std::vector<double> row(100, 1.0);
    double* volatile seen = row.data();
    (void)seen;
  }
  const HeapCalls afterVector = Now();
  struct alignas(64) Wide {
    double v[8];
  };
  Wide* volatile wide = new Wide[2];
  delete[] wide;
  const HeapCalls afterAligned = Now();

  EXPECT_EQ(afterScalar.news - before.news, 1);
  EXPECT_EQ(afterScalar.deletes - before.deletes, 1);
  EXPECT_EQ(afterVector.news - afterScalar.news, 1);
  EXPECT_EQ(afterVector.deletes - afterScalar.deletes, 1);
  EXPECT_EQ(afterAligned.news - afterVector.news, 1);
  EXPECT_EQ(afterAligned.deletes - afterVector.deletes, 1);
}

TEST_F(TickAlloc, CountingSeesTheGenerationEndAllocate) {
  // The counted window must not be blind to the World: a generation end
  // breeds a new population and does allocate.
  auto w = Build(DefaultParamsRecord(), 1);
  w->bFastMode = true;
  w->iTicks = Params.TicksPerGeneration;
  const Counted r = CountTicks(*w, 1);
  ASSERT_TRUE(r.allTicksRan);
  EXPECT_EQ(r.generationAfter, r.generationBefore + 1);
  EXPECT_GT(r.calls.news, 0);
}

TEST_F(TickAlloc, FastModeTicksAllocateNothing) {
  auto w = Build(DefaultParamsRecord(), 1);
  w->bFastMode = true;
  for (int t = 0; t < kWarmUpTicks; ++t) ASSERT_TRUE(w->Update());
  ExpectNoHeapCalls(CountTicks(*w, kCountedTicks), kWarmUpTicks);
}

TEST_F(TickAlloc, DisplayTicksAllocateNothing) {
  auto w = Build(DefaultParamsRecord(), 1);
  w->bFastMode = false;
  for (int t = 0; t < kWarmUpTicks; ++t) ASSERT_TRUE(w->Update());
  ExpectNoHeapCalls(CountTicks(*w, kCountedTicks), kWarmUpTicks);
}

TEST_F(TickAlloc, TicksAfterAGenerationEndAllocateNothing) {
  // Breeding replaces the networks' weights and the population: the next
  // generation's ticks must find everything already in place.
  auto w = Build(DefaultParamsRecord(), 1);
  w->bFastMode = true;
  while (w->iGeneration < 1) ASSERT_TRUE(w->Update());
  for (int t = 0; t < kWarmUpTicks; ++t) ASSERT_TRUE(w->Update());
  ExpectNoHeapCalls(CountTicks(*w, kCountedTicks), kWarmUpTicks);
}
