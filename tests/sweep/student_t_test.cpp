#include "sweep/student_t.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The two-sided 95 % points of Student's t as statistics tables print them
// (three decimals), by degrees of freedom; the last is the normal's 1.960.
TEST(StudentT, MatchesThePublishedTable) {
  const struct {
    int df;
    double t;
  } table[] = {{1, 12.706}, {2, 4.303},  {3, 3.182},  {4, 2.776},  {5, 2.571},   {6, 2.447},
               {7, 2.365},  {8, 2.306},  {9, 2.262},  {10, 2.228}, {11, 2.201},  {12, 2.179},
               {15, 2.131}, {20, 2.086}, {25, 2.060}, {29, 2.045}, {30, 2.042},  {31, 2.040},
               {40, 2.021}, {50, 2.009}, {60, 2.000}, {80, 1.990}, {100, 1.984}, {120, 1.980},
               {1000, 1.962}};
  for (const auto& row : table) EXPECT_NEAR(StudentT975(row.df), row.t, 0.0005) << row.df << " degrees of freedom";
  EXPECT_NEAR(StudentT975(1000000), 1.959964, 0.000005);
}

// More runs, a narrower band: falling all the way, never below the normal's.
TEST(StudentT, FallsTowardsTheNormal) {
  for (int df = 1; df < 2000; ++df) {
    EXPECT_GT(StudentT975(df), StudentT975(df + 1)) << df;
    EXPECT_GT(StudentT975(df + 1), 1.959963984540054) << df + 1;
  }
}

}  // namespace
