// atan2(y, x), correctly rounded.
//
// With n = min(|x|, |y|) and d = max(|x|, |y|), atan2 is atan(n/d), or pi/2
// minus it, or pi minus either, signed as y. For z = n/d near c = j/256,
// atan z = atan c + atan w with w = (z - c)/(1 + z c) = (256 n - j d)/(256 d
// + j n): numerator and denominator come out exact from products of n and d
// with j, so besides n/d (which only picks j) the one division is w's,
// carried to double-double through the exact remainder.
//
// Fast stage: atan(j/256) from a table (double-double), atan w = w - w^3/3
// + w^5/5 - w^7/7 for |w| <= 2^-9. The bound is worked out at Atan2Core;
// the rounding test decides all but a few calls in 10^7 (none in the
// millions of random bearings of the tests). In front of it a first test on
// the bits needs no computed bound and leaves it about one call in 8000.
//
// Accurate stage: the same with c = j/64 and 256-bit integer arithmetic,
// z and w as exact quotients of integers, the Taylor series of atan w to
// w^39, atan(j/64), pi/2 and pi to 256 bits: within 2^-240. atan2 has two
// arguments, too many for an exhaustive search of its worst cases (the
// CORE-MATH project lists some, which the tests use); the correctly rounded
// libraries rely on the same kind of margin: a random-like result within
// 2^-187 of an ulp of a midpoint has a chance of about 2^-60 over all 2^128
// argument pairs. The one structured case is a tiny ratio: for z = n/d <
// 2^-55 and x > 0, atan z = z - z^3/3 + ... lies below z by less than the
// distance from z, a ratio of 53-bit integers, to any midpoint it is not on
// (at least 2^-107 z): the result is z rounded, or, when z is exactly a
// midpoint, the double below it. That is decided from the exact quotient.
#include <cstddef>
#include <cstdint>

#include "math/bit_cast.h"
#include "math/correctly_rounded.h"
#include "math/double_double.h"
#include "math/stages.h"
#include "math/wide_float.h"

namespace {

#include "math/atan2_tables.inc"

using u64 = std::uint64_t;

constexpr double kShift = 0x1.8p52;
constexpr u64 kAccurateErr = u64{1} << 14;

// pi, pi/2, pi/4 and 3pi/4 rounded to nearest.
constexpr double kPi = 0x1.921fb54442d18p+1;
constexpr double kHalfPi = 0x1.921fb54442d18p+0;
constexpr double kQuarterPi = 0x1.921fb54442d18p-1;
constexpr double kThreeQuarterPi = 0x1.2d97c7f3321d2p+1;

inline bool SignBit(double v) { return BitCast<u64>(v) >> 63; }
inline double WithSignOf(double v, double s) { return SignBit(s) ? -v : v; }

// hi + lo = a > 0, hi the first 44 bits of a (cut, not rounded: hi <= a)
// and lo the rest, at most 9 bits: hi times an integer up to 256 is exact.
[[gnu::always_inline]] inline void Split44(double a, double& hi, double& lo) {
  hi = BitCast<double>(BitCast<u64>(a) & ~u64{0x1ff});
  lo = a - hi;
}

// atan2 for finite nonzero x and y with 2^-500 <= |x|, |y| < 2^500: the
// value hi + lo within err.
//
// Error bound (absolute): with pw = atan w - w evaluated from w's
// approximation wq (within 5 units of 2^-53 of w: num and 1/den_h rounded,
// den_l up to 2 units, the product rounded),
//   pw itself (its roundings and coefficients, 6 units of 2^-53 |pw|; wq's
//   error three times over, 15 units) and two roundings of sums holding
//   it: 23 units, 2^-48.5 |pw|;
//   w = wh + wl to 2^-77 (the remainder's last roundings and the
//   reciprocal's, of a tail under 2^-25 of w);
//   the denominator to 2^-104, the table and pi to 2^-106, the roundings of
//   the heads' tails: under 2^-98 of the result;
//   truncation after w^7: w^9/9 <= 2^-55.6 |pw|.
// So err = 2^-48 |pw| + 2^-76 |wh| + 2^-96 |hi| (computed when kBound).
//
// That is at most 2^-67.56 of the result, so the first rounding test needs
// no computed bound (RoundByTail with k = 13): |pw| <= |w|^3/3 and the
// result is at least atan(z) (z <= 2^-9 for j = 0) or atan(2^-9) (|w| <=
// 2^-9 for j >= 1), or pi/4 once pi/2 or pi is added: the first term is at
// most 2^-48 2^-19.58 of the result, the others 2^-76 and 2^-96.
template <bool kBound>
[[gnu::always_inline]] inline void Atan2Core(double y, double x, double& hi, double& lo, double& err) {
  const double ax = Magnitude(x), ay = Magnitude(y);
  const bool swap = ay > ax;
  const double n = ay < ax ? ay : ax, d = ay < ax ? ax : ay;  // min and max, without a branch
  // j = 256 n/d to the nearest integer (ties to even). j >= 1 then means
  // 256 n/d > 1/2, and 256 n lies between j/2 and 2j times d_hi <= d: their
  // difference is exact.
  const double t = (256.0 * n) / d + kShift;
  const double jd = t - kShift;
  const auto j = static_cast<std::size_t>(BitCast<std::int64_t>(t) - BitCast<std::int64_t>(kShift));
  double dh, dl, nh, nl;
  Split44(d, dh, dl);
  Split44(n, nh, nl);
  // Numerator 256 n - j d, exact as num_h + num_l.
  double numH, numL;
  TwoSum(256.0 * n - jd * dh, -(jd * dl), numH, numL);
  // Denominator 256 d + j n = den_h + den_l to 2^-104: p = j n rounded,
  // den_h = 256 d + p rounded, and den_l their two rounding errors, j n - p
  // (j n_hi - p is exact, the two within 2^-42.9 of each other) and
  // 256 d + p - den_h. |den_l| <= 2^-52 den_h, so the reciprocal of den_h
  // serves for the whole, and den_h comes after one product and one sum.
  const double p = jd * n;
  double denH, e2;
  FastTwoSum(256.0 * d, p, denH, e2);  // 256 d >= j n
  const double denL = ((jd * nh - p) + jd * nl) + e2;
  // w = num/den as wh + wl: wh the first 26 bits of num/den_h, so that its
  // products with den_h's halves are exact and so is the remainder's head;
  // wl, under 2^-25 of w, from the remainder.
  const double inv = 1.0 / denH;
  const double wq = numH * inv;
  double wh, unused, bh, bl;
  SplitDouble(wq, wh, unused);
  SplitDouble(denH, bh, bl);
  const double wl = (((numH - wh * bh) - wh * bl) + (numL - wh * denL)) * inv;
  const double w2 = wq * wq;
  const double pw = wq * w2 * (-1.0 / 3 + w2 * (1.0 / 5 - w2 * (1.0 / 7)));
  // atan(n/d) = T_h + wh + T_l + wl + pw, sh + sl = T_h + wh exactly.
  double sh, sl;
  FastTwoSum(kAtanFast[j][0], wh, sh, sl);  // |atan(j/256)| >= 2 |w| unless j = 0
  // The quadrant: K + sigma atan(n/d) with K in {0, pi/2, pi}, chosen by
  // index rather than by branches (the quadrants come in no order).
  static constexpr double kK[3][2] = {{0.0, 0.0}, {kHalfPiParts[0], kHalfPiParts[1]}, {kPiParts[0], kPiParts[1]}};
  static constexpr double kSigns[2] = {1.0, -1.0};
  const int left = static_cast<int>(BitCast<u64>(x) >> 63), swapped = swap;
  const int k = swapped | ((left & ~swapped) << 1);  // swap: pi/2; else x < 0: pi; else 0
  const double sigma = kSigns[swapped ^ left];
  double vh, vl;
  FastTwoSum(kK[k][0], sigma * sh, vh, vl);  // |K| >= |atan(n/d)| unless K = 0
  const double sign = kSigns[BitCast<u64>(y) >> 63], signSigma = sign * sigma;
  hi = sign * vh;
  // The small parts, those ready first added first.
  lo = (sign * (vl + kK[k][1]) + signSigma * (sl + kAtanFast[j][1])) + signSigma * (wl + pw);
  err = kBound ? 0x1p-48 * Magnitude(pw) + 0x1p-76 * Magnitude(wh) + 0x1p-96 * Magnitude(vh) : 0.0;
}

// Both finite and nonzero with magnitudes in [2^-500, 2^500).
inline bool InFastDomain(double y, double x) {
  constexpr u64 lo = BitCast<u64>(0x1p-500), hi = BitCast<u64>(0x1p500);
  const u64 by = BitCast<u64>(y) & ~(u64{1} << 63), bx = BitCast<u64>(x) & ~(u64{1} << 63);
  return (by - lo < hi - lo) & (bx - lo < hi - lo);
}

// The zeros, infinities and NaNs; false for finite nonzero x and y.
bool Atan2Special(double y, double x, double& out) {
  if (x != x || y != y) {
    out = x + y;
    return true;
  }
  const bool yInf = y - y != 0.0, xInf = x - x != 0.0;
  if (y == 0.0) {
    out = SignBit(x) ? WithSignOf(kPi, y) : y;
    return true;
  }
  if (yInf) {
    out = WithSignOf(xInf ? (SignBit(x) ? kThreeQuarterPi : kQuarterPi) : kHalfPi, y);
    return true;
  }
  if (x == 0.0) {
    out = WithSignOf(kHalfPi, y);
    return true;
  }
  if (xInf) {
    out = WithSignOf(SignBit(x) ? kPi : 0.0, y);
    return true;
  }
  return false;
}

// Arguments outside the fast domain: the special values, then very large,
// very small or very unequal magnitudes.
[[gnu::noinline]] double Atan2Edge(double y, double x) {
  double out;
  if (Atan2Special(y, x, out)) return out;
  // Scale both by one power of two (exactly) to bring the larger near 1.
  const double big = Magnitude(x) > Magnitude(y) ? Magnitude(x) : Magnitude(y);
  double ys = y, xs = x;
  if (big >= 0x1p500) {
    ys *= 0x1p-600;
    xs *= 0x1p-600;
    if (big >= 0x1p1000) {
      ys *= 0x1p-400;
      xs *= 0x1p-400;
    }
  } else if (big < 0x1p-500) {
    ys *= 0x1p600;
    xs *= 0x1p600;
    if (big < 0x1p-1000) {
      ys *= 0x1p400;
      xs *= 0x1p400;
    }
  }
  // A ratio under 2^-490 leaves the smaller below 2^-500 (or inexact): the
  // accurate stage takes those.
  FastParts p;
  if (Atan2FastParts(ys, xs, p) && RoundFastParts(p, out)) return out;
  return Atan2Accurate(y, x);
}

// 128-bit unsigned integers as (hi, lo), for the accurate stage's exact
// numerators and denominators.
struct U128 {
  u64 hi, lo;
};

U128 Mul(u64 a, u64 b) {
  U128 p;
  WideMul64(a, b, p.hi, p.lo);
  return p;
}

U128 Shl(U128 a, int s) {  // s < 64
  return s ? U128{(a.hi << s) | (a.lo >> (64 - s)), a.lo << s} : a;
}

U128 Add(U128 a, U128 b) {
  const u64 lo = a.lo + b.lo;
  return U128{a.hi + b.hi + (lo < a.lo), lo};
}

U128 Sub(U128 a, U128 b) {  // a >= b
  return U128{a.hi - b.hi - (a.lo < b.lo), a.lo - b.lo};
}

bool Less(U128 a, U128 b) { return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo; }

// The fast stage with its bound, then the accurate one: for the few the
// first test leaves open.
[[gnu::noinline]] double Atan2Bounded(double y, double x) {
  FastParts p;
  double out;
  if (Atan2FastParts(y, x, p) && RoundFastParts(p, out)) return out;
  return Atan2Accurate(y, x);
}

}  // namespace

bool Atan2FastParts(double y, double x, FastParts& p) {
  if (!InFastDomain(y, x)) return false;
  Atan2Core<true>(y, x, p.hi, p.lo, p.err);
  return true;
}

bool RoundAtan2ByTail(const FastParts& p, double& out) { return RoundByTail<13>(p.hi, p.lo, out); }

double CrAtan2(double y, double x) {
  if (!InFastDomain(y, x)) return Atan2Edge(y, x);
  double hi, lo, err, out;
  Atan2Core<false>(y, x, hi, lo, err);
  if (RoundByTail<13>(hi, lo, out)) return out;
  return Atan2Bounded(y, x);
}

double Atan2Accurate(double y, double x) {
  double out;
  if (Atan2Special(y, x, out)) return out;
  const bool swap = Magnitude(y) > Magnitude(x), left = SignBit(x);
  u64 ns, ds;
  int ne, de;
  Decompose(swap ? x : y, ns, ne);
  Decompose(swap ? y : x, ds, de);
  // z = n/d = (ns/ds) 2^(ne - de) <= 1.
  bool inexact;
  WideFloat z = WideQuotient(0, ns, 0, ds, inexact);
  z.e += ne - de;
  if (!swap && !left && z.e <= -55) {  // z < 2^-55: atan z just below z
    z.negative = SignBit(y);
    return WideRoundJustBelow(z, inexact);
  }
  // c = j/64 nearest z, and w = (z - c)/(1 + z c) = (64 ns - j ds 2^s)/(64 ds 2^s + j ns)
  // with s = de - ne >= 0 (at most 8 when j >= 1).
  int j = 0;
  if (z.e > -8) {  // z >= 2^-9: j may be 1 or more
    double zd, zl;
    WideToDoublePair(z, zd, zl);
    j = static_cast<int>(zd * 64.0 + 0.5);
  }
  WideFloat w = z;
  if (j > 0) {
    const int s = de - ne;
    const U128 a = Shl(U128{0, ns}, 6);
    const U128 b = Shl(Mul(ds, static_cast<u64>(j)), s);
    const U128 den = Add(Shl(U128{0, ds}, 6 + s), Mul(ns, static_cast<u64>(j)));
    const bool negative = Less(a, b);
    const U128 num = negative ? Sub(b, a) : Sub(a, b);
    if (num.hi == 0 && num.lo == 0) {
      w = WideFloat{{0, 0, 0, 0}, 0, false};
    } else {
      w = WideQuotient(num.hi, num.lo, den.hi, den.lo, inexact);
      w.negative = negative;
    }
  }
  WideFloat v = WideMul(w, WidePolynomial(kAtanTaylorWide, WideMul(w, w)));
  if (j > 0) v = WideAdd(kAtanWide[j], v);
  if (swap) v = WideSub(kHalfPiWide, v);
  if (left) v = WideSub(kPiWide, v);
  v.negative = SignBit(y);
  if (!WideRound(v, kAccurateErr, out)) WideRound(v, 0, out);  // never, in all likelihood: see the top of this file
  return out;
}
