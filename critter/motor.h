#pragma once

#include <cmath>

#include "common/constants.h"
#include "params/params.h"

// What the network's first two outputs, o0 and o1, ask of the body in one
// step. The critter moves by these, and the pictures of what a network has
// learned draw them, so both compute the same numbers.

// The turn, radians, for outputs differing by diff = o0 - o1: diff x pi, cut
// to +-MaxTurnPerTick while the critter is free; a held critter's is not cut.
// Positive turns to larger angles, clockwise on the screen.
inline double TurnForOutputs(double diff, bool free) {
  double r = diff * kPi;
  if (free) {
    if (r < -Params.MaxTurnPerTick) r = -Params.MaxTurnPerTick;
    if (r > Params.MaxTurnPerTick) r = Params.MaxTurnPerTick;
  }
  return r;
}

// The speed, units a step: 1 for outputs (0.5, 0.5), faster as they fall.
inline double SpeedForOutputs(double o0, double o1) { return std::sqrt((1 - o0) + (1 - o1)); }
