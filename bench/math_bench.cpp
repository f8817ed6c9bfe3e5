// One call of each correctly rounded function against the platform's, on
// arguments of the ranges the simulation gives them: activations for exp,
// headings for sin and cos, coordinate differences in the arena for atan2.
// The calls are independent (throughput). Items = calls.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "bench/measure.h"
#include "math/correctly_rounded.h"

namespace {

constexpr std::size_t kCount = 1024;

std::vector<double> Uniform(double lo, double hi, unsigned seed) {
  std::mt19937_64 g(seed);
  std::uniform_real_distribution<double> d(lo, hi);
  std::vector<double> v(kCount);
  for (double& x : v) x = d(g);
  return v;
}

template <class F>
void OneArgument(benchmark::State& state, double lo, double hi, F f) {
  const std::vector<double> v = Uniform(lo, hi, 1);
  for (auto _ : state) {
    double sum = 0.0;
    for (const double x : v) sum += f(x);
    benchmark::DoNotOptimize(sum);
  }
  CountItems(state, state.iterations() * static_cast<std::int64_t>(kCount));
}

template <class F>
void TwoArguments(benchmark::State& state, F f) {
  const std::vector<double> y = Uniform(-600.0, 600.0, 1), x = Uniform(-600.0, 600.0, 2);
  for (auto _ : state) {
    double sum = 0.0;
    for (std::size_t i = 0; i < kCount; ++i) sum += f(y[i], x[i]);
    benchmark::DoNotOptimize(sum);
  }
  CountItems(state, state.iterations() * static_cast<std::int64_t>(kCount));
}

// A network's activations lie within a few units; the tails reach a few tens.
void BM_Exp(benchmark::State& s) { OneArgument(s, -20.0, 20.0, [](double x) { return CrExp(x); }); }
void BM_ExpPlatformMath(benchmark::State& s) { OneArgument(s, -20.0, 20.0, [](double x) { return std::exp(x); }); }
void BM_Sin(benchmark::State& s) { OneArgument(s, -std::numbers::pi, std::numbers::pi, [](double x) { return CrSin(x); }); }
void BM_SinPlatformMath(benchmark::State& s) { OneArgument(s, -std::numbers::pi, std::numbers::pi, [](double x) { return std::sin(x); }); }
void BM_Cos(benchmark::State& s) { OneArgument(s, -std::numbers::pi, std::numbers::pi, [](double x) { return CrCos(x); }); }
void BM_CosPlatformMath(benchmark::State& s) { OneArgument(s, -std::numbers::pi, std::numbers::pi, [](double x) { return std::cos(x); }); }
void BM_SinCos(benchmark::State& s) {
  OneArgument(s, -std::numbers::pi, std::numbers::pi, [](double x) {
    double sine, cosine;
    CrSinCos(x, sine, cosine);
    return sine + cosine;
  });
}
void BM_SinCosPlatformMath(benchmark::State& s) {
  OneArgument(s, -std::numbers::pi, std::numbers::pi, [](double x) { return std::sin(x) + std::cos(x); });
}
void BM_Atan2(benchmark::State& s) { TwoArguments(s, [](double y, double x) { return CrAtan2(y, x); }); }
void BM_Atan2PlatformMath(benchmark::State& s) { TwoArguments(s, [](double y, double x) { return std::atan2(y, x); }); }

BENCHMARK(BM_Exp)->Apply(Measured);
BENCHMARK(BM_ExpPlatformMath)->Apply(Measured);
BENCHMARK(BM_Sin)->Apply(Measured);
BENCHMARK(BM_SinPlatformMath)->Apply(Measured);
BENCHMARK(BM_Cos)->Apply(Measured);
BENCHMARK(BM_CosPlatformMath)->Apply(Measured);
BENCHMARK(BM_SinCos)->Apply(Measured);
BENCHMARK(BM_SinCosPlatformMath)->Apply(Measured);
BENCHMARK(BM_Atan2)->Apply(Measured);
BENCHMARK(BM_Atan2PlatformMath)->Apply(Measured);

}  // namespace
