// CrExp against MPFR: the network's activations, the whole range, the edges
// of overflow and underflow, the worst cases known, and the arguments its
// fast stages leave undecided.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "math/correctly_rounded.h"
#include "math/stages.h"
#include "tests/math/agreement.h"
#include "tests/math/hard_arguments.h"
#include "tests/math/mpfr_reference.h"

namespace {

double Ours(double x, double) { return CrExp(x); }

TEST(CrExp, AgreesWithMpfrOnTheNetworksActivations) {
  ArgumentSource args(1);
  EXPECT_EQ(CountMismatches(MathFunction::Exp, 500000, [&](double& a, double&) { a = args.Uniform(-16.0, 16.0); }, Ours),
            0);
}

TEST(CrExp, AgreesWithMpfrOverItsWholeRange) {
  ArgumentSource args(2);
  EXPECT_EQ(CountMismatches(MathFunction::Exp, 250000, [&](double& a, double&) { a = args.Uniform(-746.0, 710.0); }, Ours),
            0);
  EXPECT_EQ(CountMismatches(MathFunction::Exp, 250000, [&](double& a, double&) { a = args.LogUniform(-60, 10); }, Ours),
            0);
}

TEST(CrExp, SpecialValues) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(std::isnan(CrExp(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_TRUE(SameDouble(CrExp(inf), inf));
  EXPECT_TRUE(SameDouble(CrExp(-inf), 0.0));
  EXPECT_TRUE(SameDouble(CrExp(0.0), 1.0));
  EXPECT_TRUE(SameDouble(CrExp(-0.0), 1.0));
  EXPECT_TRUE(SameDouble(CrExp(0x1p-1074), 1.0));
  EXPECT_TRUE(SameDouble(CrExp(std::numeric_limits<double>::max()), inf));
  EXPECT_TRUE(SameDouble(CrExp(-std::numeric_limits<double>::max()), 0.0));
}

// A thousand doubles either side of each place where the result or the
// path taken changes: overflow, the smallest normal and subnormal results,
// results that round to 1, and the edges of the fast stages' domain.
TEST(CrExp, AgreesWithMpfrAtTheEdges) {
  const double edges[] = {709.782712893384,   -745.1332191019411, -744.4400719213812, -708.3964185322641,
                          -707.7032713517042, 0x1p-54,            -0x1p-54,           0x1p-53,
                          -0x1p-53,           600.0,              -600.0,             707.5,
                          -707.5,             709.79,             -745.14};
  for (const double edge : edges) {
    double x = edge;
    for (int i = 0; i < 1000; ++i) x = std::nextafter(x, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(CountMismatches(MathFunction::Exp, 2000,
                              [&](double& a, double&) {
                                a = x;
                                x = std::nextafter(x, std::numeric_limits<double>::infinity());
                              },
                              Ours),
              0)
        << "near " << Hex(edge);
  }
}

TEST(CrExp, AgreesWithMpfrOnTheWorstCasesKnown) {
  std::vector<double> xs;
  for (const double x : kExpHard) {
    xs.push_back(x);
    xs.push_back(-x);
  }
  std::size_t i = 0;
  EXPECT_EQ(CountMismatches(MathFunction::Exp, static_cast<int>(xs.size()), [&](double& a, double&) { a = xs[i++]; }, Ours),
            0);
}

// The arguments of the network's range whose results lie too near a
// midpoint for the fast stages, found by running the stages alone: every
// one goes on to a later stage, which must be right.
TEST(CrExp, AgreesWithMpfrWhereTheFastStagesCannotDecide) {
  ArgumentSource args(3);
  std::vector<double> quickOpen, fastOpen;
  for (int i = 0; i < 3000000; ++i) {
    const double x = i % 2 ? args.Uniform(-16.0, 16.0) : args.Uniform(-600.0, 600.0);
    FastParts p;
    double y;
    if (!ExpQuickParts(x, p) || RoundExpQuickParts(p, y)) continue;
    if (quickOpen.size() < 2000) quickOpen.push_back(x);
    if (ExpFastParts(x, p) && !RoundFastParts(p, y)) fastOpen.push_back(x);
  }
  EXPECT_EQ(quickOpen.size(), 2000u);
  EXPECT_GE(fastOpen.size(), 5u) << "the search found too few arguments the fast stage leaves open";
  std::size_t i = 0, k = 0;
  EXPECT_EQ(CountMismatches(MathFunction::Exp, static_cast<int>(quickOpen.size()),
                            [&](double& a, double&) { a = quickOpen[i++]; }, Ours),
            0);
  EXPECT_EQ(CountMismatches(MathFunction::Exp, static_cast<int>(fastOpen.size()),
                            [&](double& a, double&) { a = fastOpen[k++]; }, Ours),
            0);
}

}  // namespace
