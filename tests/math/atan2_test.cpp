// CrAtan2 against MPFR: bearings in the arena, one coordinate tiny, every
// magnitude and sign, the special values of C's Annex F, exact midpoints of
// a tiny ratio, the worst cases known, and the arguments the fast stage
// leaves undecided.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include "math/correctly_rounded.h"
#include "math/stages.h"
#include "tests/math/agreement.h"
#include "tests/math/hard_arguments.h"
#include "tests/math/mpfr_reference.h"

namespace {

double Ours(double y, double x) { return CrAtan2(y, x); }

int CountPairs(const std::vector<std::pair<double, double>>& pairs) {
  std::size_t i = 0;
  return CountMismatches(MathFunction::Atan2, static_cast<int>(pairs.size()),
                         [&](double& y, double& x) {
                           y = pairs[i].first;
                           x = pairs[i++].second;
                         },
                         Ours);
}

TEST(CrAtan2, AgreesWithMpfrOnBearingsInTheArena) {
  ArgumentSource args(21);
  EXPECT_EQ(CountMismatches(MathFunction::Atan2, 600000,
                            [&](double& y, double& x) {
                              y = args.Uniform(-600.0, 600.0);
                              x = args.Uniform(-600.0, 600.0);
                            },
                            Ours),
            0);
  // One coordinate much the smaller: near the axes, where the ratio is tiny.
  EXPECT_EQ(CountMismatches(MathFunction::Atan2, 100000,
                            [&](double& y, double& x) {
                              const double small = args.LogUniform(-60, -10), big = args.Uniform(-600.0, 600.0);
                              if (args.Bits() & 1) {
                                y = small;
                                x = big;
                              } else {
                                y = big;
                                x = small;
                              }
                            },
                            Ours),
            0);
}

TEST(CrAtan2, AgreesWithMpfrOnEveryMagnitude) {
  ArgumentSource args(22);
  EXPECT_EQ(CountMismatches(MathFunction::Atan2, 300000,
                            [&](double& y, double& x) {
                              y = args.LogUniform(-1074, 1024);
                              x = args.LogUniform(-1074, 1024);
                            },
                            Ours),
            0);
  // The smallest results the fast stage gives, near 2^-1000.
  EXPECT_EQ(CountMismatches(MathFunction::Atan2, 20000,
                            [&](double& y, double& x) {
                              y = args.LogUniform(-500, -470);
                              x = args.LogUniform(470, 500);
                            },
                            Ours),
            0);
}

// Every pair of zeros, subnormals, normals, the largest double, infinities
// and NaN, both signs; the exact values C's Annex F asks for are checked
// on their own as well.
TEST(CrAtan2, SpecialValues) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  const double values[] = {0.0, 0x1p-1074, 0x1p-1022, 1.0, std::numeric_limits<double>::max(), inf};
  std::vector<std::pair<double, double>> pairs;
  for (const double y : values)
    for (const double x : values)
      for (const double sy : {1.0, -1.0})
        for (const double sx : {1.0, -1.0}) pairs.emplace_back(sy * y, sx * x);
  EXPECT_EQ(CountPairs(pairs), 0);
  for (const double v : {0.0, 1.0, inf, nan}) {
    EXPECT_TRUE(std::isnan(CrAtan2(nan, v)));
    EXPECT_TRUE(std::isnan(CrAtan2(v, nan)));
  }
  const double pi = 0x1.921fb54442d18p+1;
  EXPECT_TRUE(SameDouble(CrAtan2(0.0, -0.0), pi));
  EXPECT_TRUE(SameDouble(CrAtan2(-0.0, -0.0), -pi));
  EXPECT_TRUE(SameDouble(CrAtan2(0.0, 0.0), 0.0));
  EXPECT_TRUE(SameDouble(CrAtan2(-0.0, 0.0), -0.0));
  EXPECT_TRUE(SameDouble(CrAtan2(-0.0, 5.0), -0.0));
  EXPECT_TRUE(SameDouble(CrAtan2(0.0, -5.0), pi));
  EXPECT_TRUE(SameDouble(CrAtan2(5.0, -0.0), pi / 2));
  EXPECT_TRUE(SameDouble(CrAtan2(-5.0, 0.0), -pi / 2));
  EXPECT_TRUE(SameDouble(CrAtan2(inf, inf), pi / 4));
  EXPECT_TRUE(SameDouble(CrAtan2(-inf, -inf), -0x1.2d97c7f3321d2p+1));
  EXPECT_TRUE(SameDouble(CrAtan2(-5.0, inf), -0.0));
  EXPECT_TRUE(SameDouble(CrAtan2(5.0, -inf), pi));
  EXPECT_TRUE(SameDouble(CrAtan2(-inf, 5.0), -pi / 2));
}

// y/x exactly a midpoint of the subnormal grid: atan is a hair below it, so
// the result is the double below, not the even one; and ratios next to it.
TEST(CrAtan2, AgreesWithMpfrOnTinyRatiosAtMidpoints) {
  std::vector<std::pair<double, double>> pairs;
  for (int k = 1; k <= 64; ++k)
    for (const double x : {2.0, 1.0, 0.5, 3.0, 0x1p-20})
      for (const double sy : {1.0, -1.0}) {
        const double y = sy * k * 0x1p-1074;
        pairs.emplace_back(y, x);
        pairs.emplace_back(y, -x);
        pairs.emplace_back(y, std::nextafter(x, 0.0));
        pairs.emplace_back(y, std::nextafter(x, 4.0));
      }
  EXPECT_EQ(CountPairs(pairs), 0);
}

TEST(CrAtan2, AgreesWithMpfrOnTheWorstCasesKnown) {
  std::vector<std::pair<double, double>> pairs;
  for (const auto& [y, x] : kAtan2Hard)
    for (const double sy : {1.0, -1.0})
      for (const double sx : {1.0, -1.0}) {
        pairs.emplace_back(sy * y, sx * x);
        pairs.emplace_back(sx * x, sy * y);
      }
  EXPECT_EQ(CountPairs(pairs), 0);
}

// The fast stage's bound is tight enough that random bearings almost never
// fall within it of a midpoint (none in millions), so the arguments it
// leaves open are made: y = 1.5 2^e and x = (1 + 2^-52) 2^f give a ratio
// 1.5 ulps below y 2^-f, plus 2^-104 of it, and for a ratio under 2^-60
// atan changes that by less still: where atan2 is the ratio itself (x > 0,
// |y| < |x|, a quarter of the pairs made) a result 2^-104 from a midpoint.
// The other quadrants, pi/2 or pi away, are checked beside them.
// Bearings in the arena whose angle the first, cheaper rounding test leaves
// open: each goes on to the test with the computed bound.
TEST(CrAtan2, AgreesWithMpfrWhereTheFirstTestCannotDecide) {
  ArgumentSource args(24);
  std::vector<std::pair<double, double>> open;
  for (int i = 0; i < 20000000 && open.size() < 1000; ++i) {
    const double y = args.Uniform(-600, 600), x = args.Uniform(-600, 600);
    FastParts p;
    double v;
    if (Atan2FastParts(y, x, p) && !RoundAtan2ByTail(p, v)) open.emplace_back(y, x);
  }
  EXPECT_EQ(open.size(), 1000u);
  EXPECT_EQ(CountPairs(open), 0);
}

TEST(CrAtan2, AgreesWithMpfrWhereTheFastStageCannotDecide) {
  ArgumentSource args(23);
  std::vector<std::pair<double, double>> open, pairs;
  for (int i = 0; i < 500; ++i) {
    const int f = static_cast<int>(args.Bits() % 700) - 350, e = f - 60 - static_cast<int>(args.Bits() % 300);
    const double y = std::ldexp(1.5, e), x = std::ldexp(1.0 + 0x1p-52, f);
    const double sy = args.Bits() % 2 ? 1.0 : -1.0, sx = args.Bits() % 2 ? 1.0 : -1.0;
    pairs.emplace_back(sy * y, sx * x);
    pairs.emplace_back(sx * x, sy * y);
  }
  for (const auto& [y, x] : pairs) {
    FastParts p;
    double v;
    if (Atan2FastParts(y, x, p) && !RoundFastParts(p, v)) open.emplace_back(y, x);
  }
  EXPECT_GE(open.size(), 200u) << "the made arguments should leave the fast stage undecided";
  EXPECT_EQ(CountPairs(open), 0);
  EXPECT_EQ(CountPairs(pairs), 0);
}

}  // namespace
