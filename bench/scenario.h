#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "bench/recording.h"
#include "common/vec2d.h"
#include "support/temp_dir.h"
#include "world/world.h"

// The default scenario of the tests and the headless runner: the default
// params.ini values, the random sequence seeded with 1, and the World built
// in a fresh empty directory, so no weight file or debug log of another run
// is read or written. The directory is removed at the end.
class Scenario {
 public:
  explicit Scenario(std::uint32_t seed = 1);
  ~Scenario();
  Scenario(const Scenario&) = delete;
  Scenario& operator=(const Scenario&) = delete;

  World& world() { return *world_; }

 private:
  TempDir dir_;  // declared first: the World goes before its directory
  std::unique_ptr<World> world_;
};

// Ticks of the World, generation ends included; false when a tick failed.
bool RunTicks(World& w, int ticks);

// Ticks run before measuring, so the arena is past its start layout.
inline constexpr int kWarmUpTicks = 300;

// The stretch of evolution every per-critter benchmark covers: the tick
// benchmark runs these generations, the recording samples them. A step's
// cost depends on behaviour (a critter held at a wall does not sense), so
// both must see the same critters.
inline constexpr int kMeasuredGenerations = 20;

// Consecutive ticks recorded in each generation, one stretch a generation,
// later in the generation from one to the next. Steps replayed in runs of
// consecutive ticks meet the branch history and caches they meet in a real
// tick; steps sampled far apart cost some 10 % more.
inline constexpr int kStretchTicks = 20;
