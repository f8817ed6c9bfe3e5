// The arithmetic floor of a critter step: what no step with the same results
// can leave out for the default shapes (40 fungi, a 1-6-2 network), written
// as tightly as we can, on positions from a running World.
//
// Per step of a free critter: the distance with its sqrt to each fungus and
// the search for the nearest (strict <, lowest index on ties, on the
// distances themselves), one atan2, one sin and cos of one angle, two sqrt
// (speed and centre distance), a sigmoid (exp, add, divide) per neuron and the
// network's multiply-adds, plus the few operations that join them (the
// bearing's scaling, turning, moving). A critter held at a wall runs its
// network and turns on the spot instead; once released it goes on as a free
// one, as the real step does. Left out: the target's own centre distance (a
// third sqrt, needed only by the sight test), the sight test, the collision
// test, eating and all bookkeeping.
//
// It replays the same recorded steps as the critter step benchmark, so the
// two compare directly. Steps of different critters are independent, as in
// a tick; each step's results go through DoNotOptimize.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <vector>

#include "bench/measure.h"
#include "bench/scenario.h"
#include "common/constants.h"
#include "critter/critter.h"
#include "geometry/arena.h"
#include "math/correctly_rounded.h"
#include "params/params.h"

namespace {

constexpr int kFungi = 40;
constexpr int kHidden = 6;
constexpr int kOutputs = 2;
constexpr int kWeights = kHidden * 2 + kOutputs * (kHidden + 1);

struct FungusRows {
  alignas(16) double x[kFungi];
  alignas(16) double y[kFungi];
};

using Weights = std::array<double, kWeights>;

inline double Sigmoid(double a) { return 1.0 / (1.0 + CrExp(-a)); }

// The index of the nearest fungus: all distances first, two at a time with
// packed sqrt (the fixed count lets the compiler do that at -O2), then one
// scan with a strict <. Faster here than a branch-free search over the
// distances: steps of different critters overlap, so the scan's chain is
// not what limits a step, the sqrt unit is.
inline int Nearest(const FungusRows& f, double px, double py) {
  alignas(16) double d[kFungi];
  for (int i = 0; i < kFungi; ++i) {
    const double dx = f.x[i] - px, dy = f.y[i] - py;
    d[i] = std::sqrt(dx * dx + dy * dy);
  }
  double best = 99999.0;
  int bestIndex = 0;
  for (int i = 0; i < kFungi; ++i)
    if (d[i] < best) {
      best = d[i];
      bestIndex = i;
    }
  return bestIndex;
}

struct Network {
  const Weights* w;
  double bias;

  // The two outputs for one input.
  void Run(double input, double& o0, double& o1) const {
    const Weights& v = *w;
    double hidden[kHidden];
    for (int n = 0; n < kHidden; ++n) hidden[n] = Sigmoid(v[2 * n] * input + v[2 * n + 1] * bias);
    double out[kOutputs];
    const double* o = v.data() + 2 * kHidden;
    for (int n = 0; n < kOutputs; ++n, o += kHidden + 1) {
      double sum = o[0] * hidden[0];
      for (int k = 1; k < kHidden; ++k) sum = sum + o[k] * hidden[k];
      out[n] = Sigmoid(sum + o[kHidden] * bias);
    }
    o0 = out[0];
    o1 = out[1];
  }
};

struct Body {
  double x, y, heading, centreDistance;
  int collision;
};

// Turning by the outputs' difference and moving by their speed; a held
// critter turns unclamped and moves only once released.
inline void Move(Body& b, double o0, double o1, double maxTurn, double blockMin, double blockMax) {
  const double speed = std::sqrt((1 - o0) + (1 - o1));
  double r = (o0 - o1) * kPi;
  if (b.collision == Free) r = r < -maxTurn ? -maxTurn : (r > maxTurn ? maxTurn : r);
  double h = b.heading + r;
  h = h > kPi ? h - kTwoPi : (h <= -kPi ? h + kTwoPi : h);
  b.heading = h;
  double sine, cosine;
  CrSinCos(h, sine, cosine);
  const double nx = b.x + cosine * speed, ny = b.y + sine * speed;
  if (b.collision == ArenaEdge) {
    if (0 < nx && nx < kArenaSize && 0 < ny && ny < kArenaSize) b.collision = Free;
  } else if (b.collision == CentralBlock) {
    if (nx < blockMin || nx > blockMax || ny < blockMin || ny > blockMax) b.collision = Free;
  }
  if (b.collision != Free) return;
  b.x = nx;
  b.y = ny;
  const double qx = nx - kArenaCentre, qy = ny - kArenaCentre;
  b.centreDistance = std::sqrt(qx * qx + qy * qy);
}

inline void FloorStep(const FungusRows& f, Body& b, const Network& net, double maxTurn, double blockMin,
                      double blockMax) {
  double o0, o1;
  if (b.collision != Free) {
    net.Run(-1.0, o0, o1);
    Move(b, o0, o1, maxTurn, blockMin, blockMax);
    if (b.collision != Free) return;
  }
  const int target = Nearest(f, b.x, b.y);
  const double rx = b.x - kArenaCentre, ry = b.y - kArenaCentre;
  const double tx = f.x[target] - kArenaCentre, ty = f.y[target] - kArenaCentre;
  net.Run((CrAtan2(ty - ry, tx - rx) - b.heading) / kPi, o0, o1);
  Move(b, o0, o1, maxTurn, blockMin, blockMax);
}

void BM_Floor(benchmark::State& state) {
  const ParamsRecord p = DefaultParamsRecord();
  if (p.FungusCount != kFungi || p.InputCount != 1 || p.HiddenLayerCount != 1 || p.HiddenLayerSize != kHidden ||
      p.OutputCount != kOutputs) {
    state.SkipWithError("the floor is written for 40 fungi and a 1-6-2 network");
    return;
  }
  const RecordedRun& run = Recording();
  if (run.weightsPerNet != kWeights) {
    state.SkipWithError("unexpected network size");
    return;
  }

  std::vector<FungusRows> rows(run.ticks.size());
  for (std::size_t t = 0; t < rows.size(); ++t)
    for (int i = 0; i < kFungi; ++i) {
      rows[t].x[i] = run.ticks[t].fungi[static_cast<std::size_t>(i)].x;
      rows[t].y[i] = run.ticks[t].fungi[static_cast<std::size_t>(i)].y;
    }
  const std::size_t n = static_cast<std::size_t>(run.critters);
  std::vector<Weights> weights(run.weights.size() * n);
  for (std::size_t g = 0; g < run.weights.size(); ++g)
    for (std::size_t c = 0; c < n; ++c)
      std::copy_n(run.weights[g].begin() + static_cast<std::ptrdiff_t>(c * kWeights), kWeights,
                  weights[g * n + c].begin());
  const double bias = p.BiasInput, maxTurn = p.MaxTurnPerTick;
  const double blockMin = kBlockMin, blockMax = kBlockMax;

  std::size_t t = 0;
  for (auto _ : state) {
    const RecordedTick& tick = run.ticks[t];
    const Weights* nets = &weights[static_cast<std::size_t>(tick.generation) * n];
    for (std::size_t c = 0; c < n; ++c) {
      const CritterState& s = tick.critters[c];
      Body b{s.x, s.y, s.heading, s.centreDistance, s.collision};
      FloorStep(rows[t], b, Network{&nets[c], bias}, maxTurn, blockMin, blockMax);
      benchmark::DoNotOptimize(b);
    }
    if (++t == run.ticks.size()) t = 0;
  }
  CountItems(state, state.iterations() * run.critters);
}
BENCHMARK(BM_Floor)->Apply(Measured);

}  // namespace
