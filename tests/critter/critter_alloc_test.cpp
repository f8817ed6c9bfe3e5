// Step and TryEat run for every critter on every tick: they must not touch
// the heap. This program replaces the global allocator to count calls, so it
// is kept apart from the other critter tests.
#include <gtest/gtest.h>

#include <cmath>
#include <new>
#include <vector>

#include "common/random.h"
#include "critter/critter.h"
#include "params/params.h"
#include "tests/support/alloc_counter.h"
#include "tests/support/test_params.h"

namespace {

// A place in the arena clear of the block and the edge.
Vec2D RandomOpenPlace() {
  for (;;) {
    const Vec2D p{10 + RandomFraction() * 491, 10 + RandomFraction() * 491};
    if (p.x < 160 || p.x > 351 || p.y < 160 || p.y > 351) return p;
  }
}

int Nearest(const Critter& c, const std::vector<Vec2D>& fungi) {
  int best = 0;
  double bestDistance = 1e300;
  for (int i = 0; i < static_cast<int>(fungi.size()); ++i) {
    const double d = std::hypot(fungi[i].x - c.dPosX, fungi[i].y - c.dPosY);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

}  // namespace

TEST(CritterAllocation, StepAndTryEatNeverAllocate) {
  ScopedParams scope(DefaultParamsRecord());  // the full network, 40 fungi
  SeedRandom(2024);
  std::vector<Vec2D> fungi;
  for (int i = 0; i < Params.FungusCount; ++i) fungi.push_back(RandomOpenPlace());
  std::vector<Vec2D> replacements;
  for (int i = 0; i < 4000; ++i) replacements.push_back(RandomOpenPlace());
  // Start close round the block so that it often hides the nearest fungus.
  const double L = 511.0 / 3.0, H = 1022.0 / 3.0;
  const Vec2D starts[] = {{L - 15, 255.5}, {H + 15, 255.5}, {255.5, L - 15}, {255.5, H + 15},
                          {L - 15, L - 15}, {H + 15, H + 15}, {L - 5, H - 30}, {H + 5, L + 30}};
  std::vector<Critter> critters;
  for (int i = 0; i < 8; ++i) critters.emplace_back(i, starts[i].x, starts[i].y);

  const int ticks = 1500;
  std::size_t nextReplacement = 0;
  long fallbacks = 0, heldTicks = 0, eaten = 0;
  bool allStepped = true;
  const long before = AllocationCount();
  for (int tick = 0; tick < ticks; ++tick) {
    for (Critter& c : critters) {
      const bool wasFree = c.iCollision == Free;
      const int nearest = Nearest(c, fungi);
      allStepped = c.Step(fungi, tick % 3 == 0) && allStepped;
      if (wasFree && c.iTarget != nearest) ++fallbacks;
      if (!wasFree) ++heldTicks;
      double reward = 0.0;
      const int f = c.TryEat(fungi, reward);
      if (f >= 0) {
        ++eaten;
        c.dFitness += reward;
        fungi[f] = replacements[nextReplacement++ % replacements.size()];
      }
    }
  }
  const long allocations = AllocationCount() - before;
  EXPECT_EQ(allocations, 0);
  EXPECT_TRUE(allStepped);
  // The run went through the paths it is meant to cover.
  EXPECT_GT(fallbacks, 0);
  EXPECT_GT(heldTicks, 0);
  RecordProperty("fallbacks", static_cast<int>(fallbacks));
  RecordProperty("held_ticks", static_cast<int>(heldTicks));
  RecordProperty("eaten", static_cast<int>(eaten));
}

TEST(CritterAllocation, CountingSeesAnAllocation) {
  const long before = AllocationCount();
  auto* p = new std::vector<double>(16);
  const long after = AllocationCount();
  delete p;
  EXPECT_GE(after - before, 1);
}
