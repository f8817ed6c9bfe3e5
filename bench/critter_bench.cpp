// One critter: its step, its network, its sensing, on ticks recorded from
// the running default World (bench/scenario.h).
#include <benchmark/benchmark.h>

#include <span>

#include "bench/measure.h"
#include "bench/scenario.h"

namespace {

// Every critter's Step, replaying the recorded ticks: each critter is put
// back where it stood before that tick, with its network of that generation,
// among that tick's fungi, so every step is one the World really took.
// Items = steps.
void BM_CritterStep(benchmark::State& state) {
  const RecordedRun& run = Recording();
  std::vector<std::vector<Critter>> critters = RecordedCritters(run);
  std::size_t t = 0;
  bool ok = true;
  for (auto _ : state) {
    const RecordedTick& tick = run.ticks[t];
    std::vector<Critter>& generation = critters[static_cast<std::size_t>(tick.generation)];
    for (std::size_t i = 0; i < generation.size(); ++i) {
      Critter& c = generation[i];
      Restore(c, tick.critters[i]);
      ok &= c.Step(tick.fungi, false);
    }
    if (++t == run.ticks.size()) t = 0;
  }
  if (!ok) state.SkipWithError("a step failed");
  CountItems(state, state.iterations() * run.critters);
}
BENCHMARK(BM_CritterStep)->Apply(Measured);

// The network's Run on the inputs the critters really fed it, each network
// with its own weights. Items = runs.
void BM_NetworkRun(benchmark::State& state) {
  const RecordedRun& run = Recording();
  const std::vector<std::vector<Critter>> critters = RecordedCritters(run);
  std::size_t k = 0;
  double sink = 0.0;
  for (auto _ : state) {
    const SensingSample& s = run.samples[k];
    const int generation = run.ticks[static_cast<std::size_t>(s.tick)].generation;
    const NeuralNet& net = critters[static_cast<std::size_t>(generation)][static_cast<std::size_t>(s.critter)].Net;
    const double in[1] = {s.bearing};
    const std::span<const double> out = net.Run(in);
    sink += out[0] - out[1];
    benchmark::DoNotOptimize(sink);
    if (++k == run.samples.size()) k = 0;
  }
  CountItems(state, state.iterations());
}
BENCHMARK(BM_NetworkRun)->Apply(Measured);

// Finding the target: the nearest fungus, the sight test past the central
// block and, when the block hides it, the nearest fungus in sight; where the
// critters sensed. Items = sensings.
void BM_Sensing(benchmark::State& state) {
  const RecordedRun& run = Recording();
  std::vector<std::vector<Critter>> critters = RecordedCritters(run);
  Critter& probe = critters[0][0];
  std::size_t k = 0;
  std::int64_t hidden = 0;
  for (auto _ : state) {
    const SensingSample& s = run.samples[k];
    const RecordedTick& tick = run.ticks[static_cast<std::size_t>(s.tick)];
    Restore(probe, tick.critters[static_cast<std::size_t>(s.critter)]);
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
