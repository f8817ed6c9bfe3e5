// One critter: its step, its network, its sensing, on ticks recorded from
// the running default World (bench/scenario.h).
#include <benchmark/benchmark.h>

#include "bench/measure.h"
#include "bench/recorded_critters.h"
#include "bench/scenario.h"
#include "bench/step_replay.h"

namespace {

// Every critter's Step on the recorded ticks (bench/step_replay.h).
// Items = steps.
void BM_CritterStep(benchmark::State& state) { ReplaySteps<Critter>(state); }
BENCHMARK(BM_CritterStep)->Apply(Measured);

// The network's Run on the inputs the critters really fed it, each network
// with its own weights. Items = runs.
void BM_NetworkRun(benchmark::State& state) { ReplayNetworkRuns<Critter>(state); }
BENCHMARK(BM_NetworkRun)->Apply(Measured);

// Finding the target: the nearest fungus, the sight test past the central
// block and, when the block hides it, the nearest fungus in sight; where the
// critters sensed. Items = sensings.
void BM_Sensing(benchmark::State& state) {
  const RecordedRun& run = Recording();
  std::vector<std::vector<Critter>> critters = CrittersOfRecording<Critter>(run);
  Critter& probe = critters[0][0];
  std::size_t k = 0;
  std::int64_t hidden = 0;
  for (auto _ : state) {
    const SensingSample& s = run.samples[k];
    const RecordedTick& tick = run.ticks[static_cast<std::size_t>(s.tick)];
    RestoreCritter(probe, tick.critters[static_cast<std::size_t>(s.critter)]);
    const double t = probe.FindClosestFungus(tick.fungi);
    if (probe.IsSightBlocked(t, tick.fungi[static_cast<std::size_t>(probe.iTarget)])) {
      probe.GetFungusAwayFromWall(tick.fungi);
      ++hidden;
    }
    benchmark::DoNotOptimize(probe.dTargetBearing);
    if (++k == run.samples.size()) k = 0;
  }
  CountItems(state, state.iterations());
  // The share of sensings that needed the search past the block.
  state.counters["hidden"] = benchmark::Counter(static_cast<double>(hidden), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Sensing)->Apply(Measured);

}  // namespace
