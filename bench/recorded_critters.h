#pragma once

// The recorded ticks' critters rebuilt, for either build of the critter
// (the program's, and the benchmark's own with the platform's math).
#include <cstddef>
#include <span>
#include <vector>

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
