#pragma once

#include <cstdint>

#include "math/bit_cast.h"

// Exact sums and products of doubles from +, - and * alone (no fused
// multiply-add: the build keeps contraction off, and these rely on every
// operation being rounded on its own). Round to nearest throughout.

// s + t = a + b exactly, s = fl(a + b); needs |a| >= |b| or a == 0.
inline void FastTwoSum(double a, double b, double& s, double& t) {
  s = a + b;
  t = b - (s - a);
}

// s + t = a + b exactly, for any a and b.
inline void TwoSum(double a, double b, double& s, double& t) {
  s = a + b;
  const double bb = s - a;
  t = (a - (s - bb)) + (b - bb);
}

// hi + lo = a, hi with at most 26 significant bits (Veltkamp), |a| < 2^995.
inline void SplitDouble(double a, double& hi, double& lo) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  hi = c - (c - a);
  lo = a - hi;
}

// 2^k for -1022 <= k <= 1023.
inline double PowerOfTwo(std::int64_t k) { return BitCast<double>(static_cast<std::uint64_t>(k + 1023) << 52); }

// The significand and exponent of a finite a: |a| = s 2^e, s < 2^53 (s = 0
// for a zero).
inline void Decompose(double a, std::uint64_t& s, int& e) {
  const std::uint64_t bits = BitCast<std::uint64_t>(a);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  s = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased) {
    s |= std::uint64_t{1} << 52;
    e = biased - 1075;
  } else {
    e = -1074;
  }
}

// |a|, by clearing the sign bit (no library call).
inline double Magnitude(double a) { return BitCast<double>(BitCast<std::uint64_t>(a) & ~(std::uint64_t{1} << 63)); }
