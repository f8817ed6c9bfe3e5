// The World: a whole tick and a generation end of the default scenario.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench/measure.h"
#include "bench/scenario.h"
#include "params/params.h"

namespace {

// Ticks in fast mode from the warm-up on, over kMeasuredGenerations
// generations, always the same ones. A generation end that falls due runs
// with the clock stopped: it is measured on its own below.
// Items = critter steps.
void BM_Tick(benchmark::State& state) {
  Scenario scenario;
  World& w = scenario.world();
  w.bFastMode = true;
  if (!RunTicks(w, kWarmUpTicks)) state.SkipWithError("a warm-up tick failed");
  for (auto _ : state) {
    if (w.iTicks >= Params.TicksPerGeneration) {
      state.PauseTiming();
      w.Update();
      state.ResumeTiming();
    }
    if (!w.Update()) {
      state.SkipWithError("a tick failed");
      break;
    }
  }
  CountItems(state, state.iterations() * w.iNumCritters);
}
BENCHMARK(BM_Tick)->Apply(Measured)->Iterations(kMeasuredGenerations * DefaultParamsRecord().TicksPerGeneration);

// The generation end of the default World after a generation of real ticks,
// which stay outside the measurement. Items = generations.
void BM_GenerationEnd(benchmark::State& state) {
  Scenario scenario;
  World& w = scenario.world();
  w.bFastMode = true;
  for (auto _ : state) {
    while (w.iTicks < Params.TicksPerGeneration)
      if (!w.Update()) state.SkipWithError("a tick failed");
    const auto start = std::chrono::steady_clock::now();
    w.RunGeneration();
    const auto stop = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
  }
  CountItems(state, state.iterations());
}
BENCHMARK(BM_GenerationEnd)->Apply(TimedByHand)->Iterations(kMeasuredGenerations);

}  // namespace
