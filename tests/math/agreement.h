#pragma once

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/math/mpfr_reference.h"

// Runs `count` arguments from `next` through `ours` and MPFR; the number of
// results that differ, the first few printed.
template <class Next, class Ours>
int CountMismatches(MathFunction f, int count, Next next, Ours ours) {
  int bad = 0;
  for (int i = 0; i < count; ++i) {
    double a = 0.0, b = 0.0;
    next(a, b);
    const double got = ours(a, b), want = MpfrRounded(f, a, b);
    if (!SameDouble(got, want) && ++bad <= 5)
      ADD_FAILURE() << "arguments " << Hex(a) << ", " << Hex(b) << ": got " << Hex(got) << ", want " << Hex(want);
  }
  return bad;
}
