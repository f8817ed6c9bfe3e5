#pragma once

#include <cstdint>

// The accurate stage's numbers: a sign and a 256-bit significand with an
// exponent, value = m * 2^(e - 256), where m[3] holds the top 64 bits and
// has its top bit set (or m is all zero, the number zero). Integer
// arithmetic only, so the stage gives the same bits everywhere.
//
// Every operation truncates its exact result to 256 bits: an error under
// one unit in the last place, 2^-255 of the value.
struct WideFloat {
  std::uint64_t m[4];
  int e;
  bool negative;
};

// The 128-bit product of two 64-bit numbers, as hi * 2^64 + lo.
void WideMul64(std::uint64_t a, std::uint64_t b, std::uint64_t& hi, std::uint64_t& lo);

WideFloat WideFromDouble(double d);  // exact; d finite
WideFloat WideFromInt(std::int64_t i);
WideFloat WideMul(const WideFloat& a, const WideFloat& b);
WideFloat WideAdd(const WideFloat& a, const WideFloat& b);
WideFloat WideNegate(WideFloat a);
inline WideFloat WideSub(const WideFloat& a, const WideFloat& b) { return WideAdd(a, WideNegate(b)); }

// Horner's rule: c[0] + u (c[1] + u (c[2] + ...)), every term of c.
template <int kCount>
WideFloat WidePolynomial(const WideFloat (&c)[kCount], const WideFloat& u) {
  WideFloat p = c[kCount - 1];
  for (int n = kCount - 2; n >= 0; --n) p = WideAdd(c[n], WideMul(p, u));
  return p;
}

// hi + lo within 2^-105 of v: v's first 53 bits and the next 53, for
// 2^-900 < |v| < 2^900.
void WideToDoublePair(const WideFloat& v, double& hi, double& lo);

// n / d for integers below 2^126, d > 0: the quotient truncated to 256 bits,
// and whether that dropped anything (a remainder).
WideFloat WideQuotient(std::uint64_t nHigh, std::uint64_t nLow, std::uint64_t dHigh, std::uint64_t dLow,
                       bool& inexact);

// The double nearest v, when every value within `err` units of v's last
// place rounds to the same double (subnormal results and overflow to
// infinity included). False when the error bound leaves the rounding open.
bool WideRound(const WideFloat& v, std::uint64_t err, double& out);

// The double nearest to a value a tiny amount below |v| (toward zero), where
// v is exact, or, when `inexact`, truncated (the value lies strictly
// between v and v plus one unit). The amount below is too small to cross a
// rounding boundary unless v itself sits on one.
double WideRoundJustBelow(const WideFloat& v, bool inexact);
