#pragma once

#include <span>
#include <string>
#include <vector>

#include "critter/neural_net.h"

// What networks do: at each sensed direction of the target (-1 to 1, the
// network's one input; positive means clockwise of the heading), the turn
// and the speed of a free critter's step. Computed by the network's own Run
// and the critter's own motion rule (critter/motor.h).

// The directions sampled: -1 to 1 in steps of 1/64, 129 of them, each an
// exact double with a short decimal form.
std::vector<double> SampledDirections();

// The curves of several genomes over the same directions.
struct CurveSet {
  std::vector<double> directions;
  std::vector<double> turn;   // radians a tick, after the cut to +-MaxTurnPerTick; genome after genome
  std::vector<double> speed;  // units a tick; genome after genome

  int Count() const;
  std::span<const double> Turn(int genome) const;
  std::span<const double> Speed(int genome) const;
};

// Why a network of the current Params cannot be sampled (not one input, or
// fewer than two outputs), or "" when it can.
std::string CurveProblem(const NeuralNet& net);

// Loads each genome of `weights` (genome after genome, WeightCount() each)
// into the network and runs it at every direction; appends to `out`, whose
// directions are set to SampledDirections(). False with why when the
// network cannot be sampled.
bool SampleGenomes(NeuralNet& net, std::span<const double> weights, CurveSet& out, std::string* why);
