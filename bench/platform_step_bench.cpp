// The critter step built with the platform's exp, sin, cos and atan2
// (bench/platform_math.h is force-included here and into the second build of
// the critter sources), beside BM_CritterStep: what the correctly rounded
// functions cost a step.
#include "bench/platform_math.h"

#include <benchmark/benchmark.h>

#include "bench/measure.h"
#include "bench/step_replay.h"
#include "critter/critter.h"

namespace {

void BM_CritterStepPlatformMath(benchmark::State& state) { ReplaySteps<Critter>(state); }
BENCHMARK(BM_CritterStepPlatformMath)->Apply(Measured);

void BM_NetworkRunPlatformMath(benchmark::State& state) { ReplayNetworkRuns<Critter>(state); }
BENCHMARK(BM_NetworkRunPlatformMath)->Apply(Measured);

}  // namespace
