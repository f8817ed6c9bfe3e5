#pragma once

#include <vector>

#include "common/vec2d.h"

// Ticks of the running default World, recorded once (bench/scenario.cpp)
// and replayed by the per-critter benchmarks. Apart from bench/scenario.h so
// that the step built with the platform's math (platform_step_bench.cpp) can
// replay them without the World.

// What a critter's Step reads of the critter itself, as it was before a tick.
struct CritterState {
  double x, y, relX, relY, centreDistance, heading;
  int collision;
};

struct RecordedTick {
  int generation;
  std::vector<Vec2D> fungi;
  std::vector<CritterState> critters;  // before the tick
};

// A critter that was free before a tick, so it sensed from where it stood.
struct SensingSample {
  int tick;  // index into RecordedRun::ticks
  int critter;
  double bearing;  // the network's input it computed there
};

// Ticks of the running default World over kMeasuredGenerations
// generations, with every generation's networks.
struct RecordedRun {
  int critters = 0;
  int weightsPerNet = 0;
  std::vector<std::vector<double>> weights;  // per generation, net after net
  std::vector<RecordedTick> ticks;
  std::vector<SensingSample> samples;
};

// Recorded once per process (the run is seeded, so always the same).
const RecordedRun& Recording();
