#pragma once

// Replaying the recorded ticks' critter steps, for either build of the
// critter: the program's, and the benchmark's own with the platform's math
// (bench/platform_math.h). One loop for both, so they compare directly.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <span>
#include <vector>

#include "bench/measure.h"
#include "bench/recorded_critters.h"
#include "bench/recording.h"

// Every critter's Step, replaying the recorded ticks: each critter is put
// back where it stood before that tick, with its network of that generation,
// among that tick's fungi, so every step is one the World really took.
// Items = steps.
template <class C>
void ReplaySteps(benchmark::State& state) {
  const RecordedRun& run = Recording();
  std::vector<std::vector<C>> critters = CrittersOfRecording<C>(run);
  std::size_t t = 0;
  bool ok = true;
  for (auto _ : state) {
    const RecordedTick& tick = run.ticks[t];
    std::vector<C>& generation = critters[static_cast<std::size_t>(tick.generation)];
    for (std::size_t i = 0; i < generation.size(); ++i) {
      C& c = generation[i];
      RestoreCritter(c, tick.critters[i]);
      ok &= c.Step(tick.fungi, false);
    }
    if (++t == run.ticks.size()) t = 0;
  }
  if (!ok) state.SkipWithError("a step failed");
  CountItems(state, state.iterations() * run.critters);
}

// The network's Run on the inputs the critters really fed it, each network
// with its own weights. Items = runs.
template <class C>
void ReplayNetworkRuns(benchmark::State& state) {
  const RecordedRun& run = Recording();
  const std::vector<std::vector<C>> critters = CrittersOfRecording<C>(run);
  std::size_t k = 0;
  double sink = 0.0;
  for (auto _ : state) {
    const SensingSample& s = run.samples[k];
    const int generation = run.ticks[static_cast<std::size_t>(s.tick)].generation;
    const auto& net = critters[static_cast<std::size_t>(generation)][static_cast<std::size_t>(s.critter)].Net;
    const double in[1] = {s.bearing};
    const std::span<const double> out = net.Run(in);
    sink += out[0] - out[1];
    benchmark::DoNotOptimize(sink);
    if (++k == run.samples.size()) k = 0;
  }
  CountItems(state, state.iterations());
}
