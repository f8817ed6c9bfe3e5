// Drawing: a frame of the arena and the statistics panel.
#include <benchmark/benchmark.h>

#include "bench/measure.h"
#include "bench/scenario.h"
#include "render/arena_view.h"
#include "render/surface.h"

namespace {

// A display frame: the surface filled white, then the header, block, fungi
// and critters of a World that has run display ticks. Items = frames.
void BM_ArenaFrame(benchmark::State& state) {
  Scenario scenario;
  World& w = scenario.world();
  w.bFastMode = false;
  RunTicks(w, kWarmUpTicks);
  Surface surface;
  for (auto _ : state) {
    surface.FillWhite();
    Render(w, surface);
    benchmark::DoNotOptimize(surface.Pixels());
    benchmark::ClobberMemory();
  }
  CountItems(state, state.iterations());
}
BENCHMARK(BM_ArenaFrame)->Apply(Measured);

// What fast mode draws at a generation change: the header and the
// statistics panel, with 50 generations of score history. Items = panels.
void BM_StatsPanel(benchmark::State& state) {
  // Fifty generations take a while: evolved once, then kept for every run.
  static Scenario scenario;
  World& w = scenario.world();
  w.bFastMode = true;
  while (w.iGeneration < 50)
    if (!w.Update()) {
      state.SkipWithError("a tick failed");
      return;
    }
  Surface surface;
  for (auto _ : state) {
    surface.FillWhite();
    w.bDrawnThisGeneration = false;
    w.iLastHeaderGeneration = -1;
    Render(w, surface);
    benchmark::DoNotOptimize(surface.Pixels());
    benchmark::ClobberMemory();
  }
  CountItems(state, state.iterations());
}
BENCHMARK(BM_StatsPanel)->Apply(Measured);

}  // namespace
