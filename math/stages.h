#pragma once

#include <cstdint>

#include "math/bit_cast.h"

// The two stages behind each function of math/correctly_rounded.h, for the
// tests and the benchmarks: the tests check each stage on its own (the
// accurate one is otherwise seldom reached) and that the fast stages' error
// bounds hold.

// What a fast stage computed before its rounding test: the value hi + lo,
// within err of the exact result.
struct FastParts {
  double hi;
  double lo;
  double err;
};

// The rounding test: true, and the correctly rounded result, when every
// value within err of hi + lo rounds to the same double (normal results).
inline bool RoundFastParts(const FastParts& p, double& out) {
  const double a = p.hi + (p.lo + p.err);
  if (a != p.hi + (p.lo - p.err)) return false;
  out = a;
  return true;
}

// A rounding test that needs no computed bound, for a stage whose error is
// at most 2^-(54 + k) |h|, h = hi + lo rounded (|hi| >= |lo|): with u half
// an ulp of the doubles just below |h| (at least 2^-54 |h|, at most half the
// ulp above), every value within 2^-k u of hi + lo rounds to h when the
// exact tail hi + lo - h is under (1 - 2^-k) u. u comes from the exponent of
// |h|'s bits less one, and positive doubles compare as their bits do:
// integer work but for the tail, cheaper than RoundFastParts and open a
// little more often (for 2^-k of the results). Open for |h| below
// 2^kSmallest, which must be at least 2^-968, where (1 - 2^-k) u is still
// a normal double.
template <int k, int kSmallest = -968>
inline bool RoundByTail(double hi, double lo, double& out) {
  static_assert(kSmallest >= -968);
  constexpr std::uint64_t kExponent = std::uint64_t{0x7ff} << 52, kSign = std::uint64_t{1} << 63;
  constexpr std::uint64_t kSmallestBits = static_cast<std::uint64_t>(1023 + kSmallest) << 52;
  const double h = hi + lo;
  const double tail = lo - (h - hi);
  const std::uint64_t hb = BitCast<std::uint64_t>(h) & ~kSign;
  // (1 - 2^-k) u = 2^(e - 54) (2 - 2^(1 - k)): u's bits less 2^(53 - k).
  const std::uint64_t limit = ((hb - 1) & kExponent) - ((std::uint64_t{53} << 52) + (std::uint64_t{1} << (53 - k)));
  out = h;
  return ((BitCast<std::uint64_t>(tail) & ~kSign) < limit) & (hb >= kSmallestBits);
}

// The fast stages. False for arguments they do not take (special values,
// tiny or huge results, for atan2 extreme ratios): those go straight to the
// accurate stage or are exact.
bool ExpQuickParts(double x, FastParts& p);  // exp's first stage, before ExpFastParts
// The quick stage's own rounding test, RoundByTail, for the parts
// ExpQuickParts gives.
bool RoundExpQuickParts(const FastParts& p, double& out);
bool ExpFastParts(double x, FastParts& p);
bool SinCosFastParts(double x, FastParts& sine, FastParts& cosine);
// sin and cos's first rounding test (RoundByTail, deciding results of at
// least 2^-40), for the parts SinCosFastParts gives for 2^-27 <= |x| < 1024.
bool RoundSinCosNearParts(const FastParts& p, double& out);
bool Atan2FastParts(double y, double x, FastParts& p);
// atan2's first rounding test (RoundByTail), for the parts Atan2FastParts
// gives.
bool RoundAtan2ByTail(const FastParts& p, double& out);

// The accurate stages, for every argument.
double ExpAccurate(double x);
void SinCosAccurate(double x, double& sine, double& cosine);
double Atan2Accurate(double y, double x);
