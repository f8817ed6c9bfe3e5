// The long check: COUNT arguments per function (default 10^8) against
// MPFR, drawn as the tests draw them (the simulation's ranges, then every
// range), on every core. Prints the count and the mismatches of each
// function; exit status 1 if there is any. Run by scripts/bench.sh.
//
//   vexlora-math-check [COUNT]
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "math/correctly_rounded.h"
#include "tests/math/mpfr_reference.h"

namespace {

struct Tally {
  std::atomic<long long> checked{0}, mismatches{0};
};

void Report(MathFunction f, double a, double b, double got, Tally& t) {
  if (++t.mismatches <= 10)
    std::printf("mismatch: %d(%s, %s) = %s, want %s\n", static_cast<int>(f), Hex(a).c_str(), Hex(b).c_str(),
                Hex(got).c_str(), Hex(MpfrRounded(f, a, b)).c_str());
}

void Check(MathFunction f, double a, double b, double got, Tally& t) {
  ++t.checked;
  if (!SameDouble(got, MpfrRounded(f, a, b))) Report(f, a, b, got, t);
}

void Work(long long count, std::uint64_t seed, Tally* tally) {
  ArgumentSource args(seed);
  constexpr double pi = std::numbers::pi;
  for (long long i = 0; i < count; ++i) {
    const int kind = static_cast<int>(i % 4);  // half the simulation's ranges, half the whole range
    const double e = kind < 2 ? args.Uniform(-16.0, 16.0) : (kind == 2 ? args.Uniform(-746.0, 710.0) : args.LogUniform(-60, 10));
    Check(MathFunction::Exp, e, 0.0, CrExp(e), tally[0]);
    const double h = kind < 2 ? args.Uniform(-pi, pi) : (kind == 2 ? args.LogUniform(-30, 30) : args.LogUniform(-30, 1024));
    double s, c;
    CrSinCos(h, s, c);
    Check(MathFunction::Sin, h, 0.0, s, tally[1]);
    Check(MathFunction::Cos, h, 0.0, c, tally[2]);
    double y, x;
    if (kind < 2) {
      y = args.Uniform(-600.0, 600.0);
      x = args.Uniform(-600.0, 600.0);
    } else {
      y = args.LogUniform(-1074, 1024);
      x = args.LogUniform(-1074, 1024);
    }
    Check(MathFunction::Atan2, y, x, CrAtan2(y, x), tally[3]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const long long count = argc > 1 ? std::atoll(argv[1]) : 100000000LL;
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  Tally tally[4];
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) {
    const long long share = count / threads + (t < count % threads ? 1 : 0);
    pool.emplace_back(Work, share, 1000 + t, tally);
  }
  for (std::thread& t : pool) t.join();
  const char* names[4] = {"exp", "sin", "cos", "atan2"};
  long long bad = 0;
  for (int f = 0; f < 4; ++f) {
    std::printf("%-6s %lld arguments checked against MPFR, %lld mismatches\n", names[f], tally[f].checked.load(),
                tally[f].mismatches.load());
    bad += tally[f].mismatches;
  }
  return bad == 0 ? 0 : 1;
}
