#pragma once

// Replaying the recorded ticks' critter steps, for either build of the
// critter: the program's, and the benchmark's own with the platform's math
// (bench/platform_math.h). One loop for both, so they compare directly.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <span>
#include <vector>

#include "bench/measure.h"
#include "bench/recording.h"
#include "geometry/arena.h"
#include "params/params.h"

// Puts a critter back where it stood before a recorded tick.
template <class C>
void RestoreCritter(C& c, const CritterState& s) {
  c.dPosX = s.x;
  c.dPosY = s.y;
  c.dRelX = s.relX;
  c.dRelY = s.relY;
  c.dCentreDistance = s.centreDistance;
  c.dHeading = s.heading;
  c.iCollision = s.collision;
}

// Every generation's critters with their networks, for replaying ticks.
template <class C>
std::vector<std::vector<C>> CrittersOfRecording(const RecordedRun& run) {
  Params = DefaultParamsRecord();
  std::vector<std::vector<C>> generations(run.weights.size());
  const std::size_t n = static_cast<std::size_t>(run.weightsPerNet);
  for (std::size_t g = 0; g < generations.size(); ++g) {
    generations[g].reserve(static_cast<std::size_t>(run.critters));
    for (int i = 0; i < run.critters; ++i) {
      C& c = generations[g].emplace_back(i, kArenaCentre, 20.0);
      c.Net.LoadWeights(std::span<const double>(run.weights[g]).subspan(static_cast<std::size_t>(i) * n, n));
    }
  }
  return generations;
}

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
