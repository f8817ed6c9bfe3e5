// Measures how many critters start placement can always serve: for each
// CritterCount, many seeded layouts, each start searched with a bounded
// number of draws. Prints the failures and the most draws one start needed.
#include <cstdio>
#include <cstdlib>

#include "common/random.h"
#include "params/params.h"
#include "world/world.h"

int main(int argc, char** argv) {
  const int trials = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int from = argc > 2 ? std::atoi(argv[2]) : 30;
  const int to = argc > 3 ? std::atoi(argv[3]) : 60;
  constexpr long kGiveUp = 2000000;  // far beyond any admissible spot's expected wait
  for (int n = from; n <= to; ++n) {
    Params = DefaultParamsRecord();
    Params.CritterCount = n;
    Params.EliteCount = 0;
    SeedRandom(1);
    World world;
    int failures = 0;
    long worstDraws = 0;
    for (int trial = 0; trial < trials; ++trial) {
      SeedRandom(static_cast<std::uint32_t>(trial) * 2654435761u + 12345u);
      for (int i = 0; i < n; ++i) {
        long draws = 0;
        for (;;) {
          ++draws;
          const Vec2D spot = world.DrawStartSpot(i % 8);
          if (!world.IsNearEarlierStart(i, spot)) {
            world.vecStartPositions[static_cast<std::size_t>(i)] = spot;
            break;
          }
          if (draws >= kGiveUp) break;
        }
        if (draws > worstDraws) worstDraws = draws;
        if (draws >= kGiveUp) {
          ++failures;
          break;
        }
      }
    }
    std::printf("CritterCount %d: %d of %d layouts failed; most draws for one start %ld\n", n, failures, trials,
                worstDraws);
    std::fflush(stdout);
  }
  return 0;
}
