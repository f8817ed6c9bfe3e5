#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "critter/critter.h"
#include "params/params.h"

namespace critter_test {

inline constexpr double kL = 511.0 / 3.0;   // near side of the central block
inline constexpr double kH = 1022.0 / 3.0;  // far side of the central block

// The default scenario with a network small enough to set by hand:
// no hidden layer, one input, two outputs, so four weights
// (input and bias weight of output 0, then of output 1).
inline ParamsRecord SmallNetParams(int fungusCount = 40) {
  ParamsRecord p = DefaultParamsRecord();
  p.InputCount = 1;
  p.HiddenLayerCount = 0;
  p.OutputCount = 2;
  p.FungusCount = fungusCount;
  return p;
}

// Sets the four weights of a SmallNetParams network.
inline void LoadSmallNet(Critter& c, double in0, double bias0, double in1, double bias1) {
  const std::vector<double> w = {in0, bias0, in1, bias1};
  if (!c.Net.LoadWeights(w)) ADD_FAILURE() << "the network is not the four-weight shape";
}

// Outputs (0.5, 0.5) whatever the input: speed 1, no turn.
inline void LoadStraightAhead(Critter& c) { LoadSmallNet(c, 0.0, 0.0, 0.0, 0.0); }

}  // namespace critter_test
