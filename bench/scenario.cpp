#include "bench/scenario.h"

#include "common/random.h"
#include "geometry/arena.h"
#include "params/params.h"

Scenario::Scenario(std::uint32_t seed) {
  dir_.Enter();
  Params = DefaultParamsRecord();
  SeedRandom(seed);
  world_ = std::make_unique<World>();
}

Scenario::~Scenario() = default;

bool RunTicks(World& w, int ticks) {
  for (int t = 0; t < ticks; ++t)
    if (!w.Update()) return false;
  return true;
}

namespace {

RecordedRun Record() {
  Scenario scenario;
  World& w = scenario.world();
  w.bFastMode = true;
  RecordedRun r;
  r.critters = w.iNumCritters;
  r.weightsPerNet = w.iNumWeights;
  for (int g = 0; g < kMeasuredGenerations; ++g) {
    std::vector<double>& nets = r.weights.emplace_back();
    for (const Critter& c : w.vecCritters) nets.insert(nets.end(), c.Net.Weights().begin(), c.Net.Weights().end());
    const int first =
        kWarmUpTicks + g * (Params.TicksPerGeneration - kWarmUpTicks - kStretchTicks) / kMeasuredGenerations;
    for (int t = 0; t < Params.TicksPerGeneration; ++t) {
      const bool record = t >= first && t < first + kStretchTicks;
      const std::size_t firstSample = r.samples.size();
      if (record) {
        RecordedTick& tick = r.ticks.emplace_back();
        tick.generation = g;
        tick.fungi = w.vecFungi;
        for (int i = 0; i < w.iNumCritters; ++i) {
          const Critter& c = w.vecCritters[static_cast<std::size_t>(i)];
          tick.critters.push_back({c.dPosX, c.dPosY, c.dRelX, c.dRelY, c.dCentreDistance, c.dHeading, c.iCollision});
          if (c.iCollision == Free) r.samples.push_back({static_cast<int>(r.ticks.size()) - 1, i, 0.0});
        }
      }
      if (!w.Update()) throw std::runtime_error("a tick failed while recording");
      for (std::size_t s = firstSample; s < r.samples.size(); ++s) {
        SensingSample& sample = r.samples[s];
        const double heading = r.ticks.back().critters[static_cast<std::size_t>(sample.critter)].heading;
        sample.bearing =
            RelativeBearing(heading, w.vecCritters[static_cast<std::size_t>(sample.critter)].dTargetBearing);
      }
    }
    w.Update();  // the generation end
  }
  return r;
}

}  // namespace

const RecordedRun& Recording() {
  static const RecordedRun run = Record();
  return run;
}
