// Each stage on its own. The accurate stages decide what the fast ones
// leave open, about once in 10^5 calls, so they are checked against MPFR
// directly, on every kind of argument; the fast stages' error bounds are
// what make their rounding tests sound, so each bound is checked against
// the exact value.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>

#include "math/stages.h"
#include "tests/math/agreement.h"
#include "tests/math/hard_arguments.h"
#include "tests/math/mpfr_reference.h"

namespace {

constexpr double kPi = std::numbers::pi;

double SinAccurate(double x) {
  double s, c;
  SinCosAccurate(x, s, c);
  return s;
}

double CosAccurate(double x) {
  double s, c;
  SinCosAccurate(x, s, c);
  return c;
}

TEST(AccurateStages, ExpAgreesWithMpfr) {
  ArgumentSource args(31);
  EXPECT_EQ(CountMismatches(MathFunction::Exp, 20000,
                            [&](double& a, double&) { a = args.Bits() % 2 ? args.Uniform(-746, 710) : args.LogUniform(-60, 10); },
                            [](double x, double) { return ExpAccurate(x); }),
            0);
  std::size_t i = 0;
  EXPECT_EQ(CountMismatches(MathFunction::Exp, static_cast<int>(std::size(kExpHard)), [&](double& a, double&) { a = kExpHard[i++]; },
                            [](double x, double) { return ExpAccurate(x); }),
            0);
}

TEST(AccurateStages, SinAndCosAgreeWithMpfr) {
  ArgumentSource args(32);
  auto next = [&](double& a, double&) {
    const auto kind = args.Bits() % 3;
    a = kind == 0 ? args.Uniform(-kPi, kPi) : (kind == 1 ? args.LogUniform(-27, 30) : args.LogUniform(30, 1024));
  };
  EXPECT_EQ(CountMismatches(MathFunction::Sin, 10000, next, [](double x, double) { return SinAccurate(x); }), 0);
  EXPECT_EQ(CountMismatches(MathFunction::Cos, 10000, next, [](double x, double) { return CosAccurate(x); }), 0);
  std::size_t i = 0, k = 0;
  EXPECT_EQ(CountMismatches(MathFunction::Sin, static_cast<int>(std::size(kSinHard)), [&](double& a, double&) { a = kSinHard[i++]; },
                            [](double x, double) { return SinAccurate(x); }),
            0);
  EXPECT_EQ(CountMismatches(MathFunction::Cos, static_cast<int>(std::size(kCosHard)), [&](double& a, double&) { a = kCosHard[k++]; },
                            [](double x, double) { return CosAccurate(x); }),
            0);
}

TEST(AccurateStages, Atan2AgreesWithMpfr) {
  ArgumentSource args(33);
  EXPECT_EQ(CountMismatches(MathFunction::Atan2, 20000,
                            [&](double& y, double& x) {
                              if (args.Bits() % 2) {
                                y = args.Uniform(-600, 600);
                                x = args.Uniform(-600, 600);
                              } else {
                                y = args.LogUniform(-1074, 1024);
                                x = args.LogUniform(-1074, 1024);
                              }
                            },
                            [](double y, double x) { return Atan2Accurate(y, x); }),
            0);
  std::size_t i = 0;
  EXPECT_EQ(CountMismatches(MathFunction::Atan2, static_cast<int>(std::size(kAtan2Hard)),
                            [&](double& y, double& x) {
                              y = kAtan2Hard[i].first;
                              x = kAtan2Hard[i++].second;
                            },
                            [](double y, double x) { return Atan2Accurate(y, x); }),
            0);
}

// The bit arithmetic of the rounding test without a bound: a tail just
// inside (1 - 2^-k) of half an ulp decides, just outside does not; at a
// power of two the half ulp below counts, on either side; results too
// small for the limit to be a normal double stay open.
TEST(RoundByTail, DecidesJustInsideItsLimit) {
  double y = 0.0;
  const double in = 1 - 0x1p-20, out = 1 + 0x1p-20;
  const double limit8 = (1 - 0x1p-8) * 0x1p-53, limit13 = (1 - 0x1p-13) * 0x1p-53;  // for h in [1, 2)
  EXPECT_TRUE(RoundByTail<8>(1.5, limit8 * in, y) && y == 1.5);
  EXPECT_FALSE(RoundByTail<8>(1.5, limit8 * out, y));
  EXPECT_TRUE(RoundByTail<8>(-1.5, -limit8 * in, y) && y == -1.5);
  EXPECT_FALSE(RoundByTail<8>(-1.5, -limit8 * out, y));
  EXPECT_TRUE(RoundByTail<13>(1.25, limit13 * in, y) && y == 1.25);
  EXPECT_FALSE(RoundByTail<13>(1.25, limit13 * out, y));
  // At 2 the doubles below are twice as close as those above: their limit
  // holds on either side.
  EXPECT_TRUE(RoundByTail<8>(2.0, -limit8 * in, y) && y == 2.0);
  EXPECT_FALSE(RoundByTail<8>(2.0, -limit8 * out, y));
  EXPECT_FALSE(RoundByTail<8>(2.0, limit8 * out, y));
  // The same tails scaled to a binade near the bottom of the normal range.
  EXPECT_TRUE(RoundByTail<8>(0x1.8p-960, limit8 * in * 0x1p-960, y));
  EXPECT_FALSE(RoundByTail<8>(0x1.8p-1000, limit8 * 0x1p-3 * 0x1p-1000, y));
  // A smallest result decided, asked for: sin and cos take 2^-40.
  EXPECT_TRUE((RoundByTail<10, -40>(0x1p-40, 0.0, y)));
  EXPECT_FALSE((RoundByTail<10, -40>(0x1.fffffffffffffp-41, 0.0, y)));
}

// Counts the arguments where a fast stage's parts miss the exact value by
// more than their bound.
template <class Next, class Parts>
int CountBoundsBroken(MathFunction f, int count, Next next, Parts parts) {
  int broken = 0, taken = 0;
  for (int i = 0; i < count; ++i) {
    double a = 0.0, b = 0.0;
    next(a, b);
    FastParts p;
    if (!parts(a, b, p)) continue;
    ++taken;
    if (!WithinBound(f, a, b, p) && ++broken <= 5)
      ADD_FAILURE() << "arguments " << Hex(a) << ", " << Hex(b) << ": " << Hex(p.hi) << " + " << Hex(p.lo)
                    << " is not within " << Hex(p.err);
  }
  EXPECT_GT(taken, count / 2) << "the stage took too few of the arguments to check its bound";
  return broken;
}

TEST(FastStages, ExpBoundsHold) {
  ArgumentSource args(41);
  auto next = [&](double& a, double&) { a = args.Bits() % 2 ? args.Uniform(-16, 16) : args.Uniform(-600, 600); };
  EXPECT_EQ(CountBoundsBroken(MathFunction::Exp, 100000, next,
                              [](double x, double, FastParts& p) { return ExpQuickParts(x, p); }),
            0);
  EXPECT_EQ(CountBoundsBroken(MathFunction::Exp, 100000, next,
                              [](double x, double, FastParts& p) { return ExpFastParts(x, p); }),
            0);
}

TEST(FastStages, SinAndCosBoundsHold) {
  ArgumentSource args(42);
  auto next = [&](double& a, double&) {
    const auto kind = args.Bits() % 3;
    a = kind == 0 ? args.Uniform(-kPi, kPi) : (kind == 1 ? args.LogUniform(-27, 11) : args.LogUniform(11, 1024));
  };
  EXPECT_EQ(CountBoundsBroken(MathFunction::Sin, 60000, next,
                              [](double x, double, FastParts& p) {
                                FastParts c;
                                return SinCosFastParts(x, p, c);
                              }),
            0);
  EXPECT_EQ(CountBoundsBroken(MathFunction::Cos, 60000, next,
                              [](double x, double, FastParts& p) {
                                FastParts s;
                                return SinCosFastParts(x, s, p);
                              }),
            0);
}

// sin and cos's first rounding test has no bound of its own: it takes the
// fast stage's bound to be under 2^-64.36 of the result below 1024, for
// results of at least 2^-40 (worked out at RoundNear). Checked on the
// angles where that is tightest: small results, near the multiples of
// pi/2, and the first table entries.
TEST(FastStages, SinAndCosFirstTestCoversTheBound) {
  ArgumentSource args(44);
  int checked = 0, over = 0;
  for (int i = 0; i < 200000; ++i) {
    const auto kind = args.Bits() % 4;
    double x = kind == 0 ? args.Uniform(-kPi, kPi) : args.LogUniform(-27, 10);
    if (kind == 2) x = static_cast<double>(args.Bits() % 1300) * (kPi / 2) + args.LogUniform(-40, -6);
    if (kind == 3) x = static_cast<double>(args.Bits() % 40000) * (kPi / 256) + args.Uniform(-kPi / 512, kPi / 512);
    FastParts p[2];
    if (!(std::fabs(x) < 1024.0) || !SinCosFastParts(x, p[0], p[1])) continue;
    for (const FastParts& q : p) {
      const double h = q.hi + q.lo;
      if (!(std::fabs(h) >= 0x1p-40)) continue;
      ++checked;
      if (!(q.err <= 0x1.8ep-65 * std::fabs(h)) && ++over <= 5)  // 2^-64.36
        ADD_FAILURE() << "angle " << Hex(x) << ": bound " << Hex(q.err) << " for " << Hex(h);
    }
  }
  EXPECT_GT(checked, 300000);
  EXPECT_EQ(over, 0);
}

// atan2's first rounding test takes the fast stage's bound to be under
// 2^-67 of the result (2^-67.56, worked out at Atan2Core): small ratios,
// where |pw| is largest against the result, and every quadrant.
TEST(FastStages, Atan2FirstTestCoversTheBound) {
  ArgumentSource args(45);
  int checked = 0, over = 0;
  for (int i = 0; i < 200000; ++i) {
    double y = args.Uniform(-600, 600), x = args.Uniform(-600, 600);
    if (i % 2) y = x * args.LogUniform(-12, 1);  // n/d near the j = 0 and j = 1 entries
    FastParts p;
    if (!Atan2FastParts(y, x, p)) continue;
    ++checked;
    const double h = p.hi + p.lo;
    if (!(p.err <= 0x1.5cp-68 * std::fabs(h)) && ++over <= 5)  // 2^-67.557
      ADD_FAILURE() << "arguments " << Hex(y) << ", " << Hex(x) << ": bound " << Hex(p.err) << " for " << Hex(h);
  }
  EXPECT_GT(checked, 190000);
  EXPECT_EQ(over, 0);
}

TEST(FastStages, Atan2BoundsHold) {
  ArgumentSource args(43);
  EXPECT_EQ(CountBoundsBroken(MathFunction::Atan2, 100000,
                              [&](double& y, double& x) {
                                y = args.Uniform(-600, 600);
                                x = args.Bits() % 2 ? args.Uniform(-600, 600) : args.LogUniform(-30, 30);
                              },
                              [](double y, double x, FastParts& p) { return Atan2FastParts(y, x, p); }),
            0);
}

}  // namespace
