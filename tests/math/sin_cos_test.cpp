// CrSin, CrCos and CrSinCos against MPFR: headings, rotation angles, wide
// and huge arguments, the multiples of pi/2, the worst cases known, and the
// arguments the fast stage leaves undecided.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "math/correctly_rounded.h"
#include "math/stages.h"
#include "tests/math/agreement.h"
#include "tests/math/hard_arguments.h"
#include "tests/math/mpfr_reference.h"

namespace {

constexpr double kPi = std::numbers::pi;

// sin and cos of x from all three entry points; the mismatches of the
// arguments given, counted once per function.
int CountSinCosMismatches(const std::vector<double>& xs) {
  std::size_t i = 0, k = 0;
  const int sin = CountMismatches(MathFunction::Sin, static_cast<int>(xs.size()), [&](double& a, double&) { a = xs[i++]; },
                                  [](double x, double) {
                                    double s, c;
                                    CrSinCos(x, s, c);
                                    return SameDouble(s, CrSin(x)) ? s : std::numeric_limits<double>::infinity();
                                  });
  const int cos = CountMismatches(MathFunction::Cos, static_cast<int>(xs.size()), [&](double& a, double&) { a = xs[k++]; },
                                  [](double x, double) {
                                    double s, c;
                                    CrSinCos(x, s, c);
                                    return SameDouble(c, CrCos(x)) ? c : std::numeric_limits<double>::infinity();
                                  });
  return sin + cos;
}

template <class Next>
std::vector<double> Draw(int count, Next next) {
  std::vector<double> xs(static_cast<std::size_t>(count));
  for (double& x : xs) x = next();
  return xs;
}

TEST(CrSinCos, AgreesWithMpfrOnHeadings) {
  ArgumentSource args(11);
  EXPECT_EQ(CountSinCosMismatches(Draw(500000, [&] { return args.Uniform(-kPi, kPi); })), 0);
}

TEST(CrSinCos, AgreesWithMpfrOnRotationsAndWiderAngles) {
  ArgumentSource args(12);
  EXPECT_EQ(CountSinCosMismatches(Draw(200000, [&] { return args.Uniform(-4 * kPi, 4 * kPi); })), 0);
  EXPECT_EQ(CountSinCosMismatches(Draw(250000, [&] { return args.LogUniform(-30, 30); })), 0);
}

// Reduced exactly whatever their size, up to the largest double.
TEST(CrSinCos, AgreesWithMpfrOnHugeArguments) {
  ArgumentSource args(13);
  EXPECT_EQ(CountSinCosMismatches(Draw(50000, [&] { return args.LogUniform(30, 1024); })), 0);
}

TEST(CrSinCos, SpecialValues) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  for (const double x : {inf, -inf, nan}) {
    double s, c;
    CrSinCos(x, s, c);
    EXPECT_TRUE(std::isnan(s) && std::isnan(c) && std::isnan(CrSin(x)) && std::isnan(CrCos(x))) << x;
  }
  EXPECT_TRUE(SameDouble(CrSin(0.0), 0.0));
  EXPECT_TRUE(SameDouble(CrSin(-0.0), -0.0));
  EXPECT_TRUE(SameDouble(CrCos(-0.0), 1.0));
  EXPECT_TRUE(SameDouble(CrSin(-0x1p-1074), -0x1p-1074));
  EXPECT_TRUE(SameDouble(CrCos(0x1p-1074), 1.0));
}

// The doubles nearest the multiples of pi/2, where sin or cos is smallest
// and the reduction loses the most bits (the worst of all doubles is
// 6381956970095103 2^797, Kahan and McDonald), and the edges of the paths.
TEST(CrSinCos, AgreesWithMpfrNearMultiplesOfHalfPiAndAtTheEdges) {
  std::vector<double> xs;
  for (int k = 1; k <= 2000; ++k) {
    double x = k * (kPi / 2);
    for (int i = 0; i < 3; ++i) x = std::nextafter(x, 0.0);
    for (int i = 0; i < 7; ++i, x = std::nextafter(x, 10000.0)) {
      xs.push_back(x);
      xs.push_back(-x);
    }
  }
  for (const double edge : {0x1p-27, 0x1p-26, 1024.0, kPi / 512, 0x1.6ac5b262ca1ffp+849,
                            std::numeric_limits<double>::max()}) {
    double x = edge;
    for (int i = 0; i < 200; ++i) x = std::nextafter(x, 0.0);
    for (int i = 0; i < 400 && std::isfinite(x); ++i, x = std::nextafter(x, std::numeric_limits<double>::infinity())) {
      xs.push_back(x);
      xs.push_back(-x);
    }
  }
  EXPECT_EQ(CountSinCosMismatches(xs), 0);
}

TEST(CrSinCos, AgreesWithMpfrOnTheWorstCasesKnown) {
  std::vector<double> xs;
  for (const double x : kSinHard) xs.insert(xs.end(), {x, -x});
  for (const double x : kCosHard) xs.insert(xs.end(), {x, -x});
  EXPECT_EQ(CountSinCosMismatches(xs), 0);
}

// The angles below 1024 whose sine or cosine the first, cheaper rounding
// test leaves open: each goes on to the test with the computed bound.
TEST(CrSinCos, AgreesWithMpfrWhereTheFirstTestCannotDecide) {
  ArgumentSource args(15);
  std::vector<double> open;
  for (int i = 0; i < 3000000 && open.size() < 3000; ++i) {
    const double x = i % 4 ? args.Uniform(-kPi, kPi) : args.LogUniform(-27, 10);
    FastParts s, c;
    double y;
    if (SinCosFastParts(x, s, c) && (!RoundSinCosNearParts(s, y) || !RoundSinCosNearParts(c, y))) open.push_back(x);
  }
  EXPECT_EQ(open.size(), 3000u);
  EXPECT_EQ(CountSinCosMismatches(open), 0);
}

TEST(CrSinCos, AgreesWithMpfrWhereTheFastStageCannotDecide) {
  ArgumentSource args(14);
  std::vector<double> open;
  for (int i = 0; i < 3000000; ++i) {
    const double x = i % 4 ? args.Uniform(-kPi, kPi) : args.LogUniform(-27, 11);
    FastParts s, c;
    double y;
    if (SinCosFastParts(x, s, c) && (!RoundFastParts(s, y) || !RoundFastParts(c, y))) open.push_back(x);
  }
  EXPECT_GE(open.size(), 5u) << "the search found too few arguments the fast stage leaves open";
  EXPECT_EQ(CountSinCosMismatches(open), 0);
}

}  // namespace
