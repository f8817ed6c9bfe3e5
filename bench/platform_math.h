#pragma once

// For the benchmarks only: force-included (-include) into a second build of
// the critter sources and into platform_step_bench.cpp, it makes the same
// critter step with the platform's exp, sin, cos and atan2 in place of the
// correctly rounded ones, so the two steps are timed side by side in one run.
// Its names are changed so that both builds live in one program. The
// product has no such switch.
#include <cmath>

#include "math/correctly_rounded.h"

#define Critter PlatformMathCritter
#define NeuralNet PlatformMathNeuralNet
#define NearestFungus PlatformMathNearestFungus
#define IntersectLines PlatformMathIntersectLines
#define IsOnSegment PlatformMathIsOnSegment
#define RelativeBearing PlatformMathRelativeBearing
#define g_Arena g_PlatformMathArena
#define PrepareArenaGeometry PlatformMathPrepareArenaGeometry

#define CrExp std::exp
#define CrAtan2 std::atan2
#define CrSinCos PlatformSinCos

// As the step called them before: sin and cos of one angle, which the
// compiler joins into one sincos call.
inline void PlatformSinCos(double x, double& s, double& c) {
  s = std::sin(x);
  c = std::cos(x);
}
