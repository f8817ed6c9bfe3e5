// exp(x), correctly rounded.
//
// Reduction: x = k ln2/1024 + r with |r| <= ln2/2048 and k = 1024 m + j,
// exp(x) = 2^m 2^(j/1024) e^r; 2^(j/1024) = H (1 + c) from a table, H the
// double nearest to it.
//
// Quick stage: the network calls exp eight times a critter step, six side by
// side and then two waiting on them, so both the length of the chain of
// dependent operations and their number count. hi = 2^m H (the scale put
// into H's exponent by an integer addition) and lo = hi (r + c) + hi r^2 P(r),
// P the Taylor polynomial of (e^r - 1 - r)/r^2 to r^2: hi + lo is within
// 2^-62.07 hi of exp(x) (worked out at kQuickErr). The rounding test looks at
// the exact rounding error of hi + lo with integer operations on the bits
// (RoundQuick). It decides all but about 4 calls in 1000; those go on to the
// fast stage, then, rarely, to the accurate one.
//
// Fast stage: the same reduction, H rounded to 32 bits as T_hi and the rest
// as T_lo, so that T_hi times r rounded to 19 bits is exact; e^r - 1 - r by
// its Taylor polynomial to r^5. The result hi + lo is within 2^-72.7 hi of
// exp(x) (the bound is worked out at kExpErr; the test uses 2^-71) and the
// rounding test decides unless exp(x) lies that close to a midpoint between
// two doubles: about once in 2 10^5 calls.
//
// Accurate stage: the same reduction by ln2/64 in 256-bit arithmetic, the
// Taylor series to r^25 and 2^(j/64) to 256 bits: within 2^-240 of exp(x).
// The hardest arguments known need about 2^-113 (Lefevre and Muller's
// worst cases, 59 identical bits after the rounding bit for |x| > 2^-30;
// the tiny x just below 2^-53 put e^x = 1 + x + x^2/2 within 2^-107 of the
// midpoint 1 + 2^-53): double-double (2^-104) would not do, 256 bits leave
// a margin of over a hundred bits. exp(x) is never exactly a
// midpoint for x != 0 (it is transcendental), so the stage always decides.
#include <cstdint>
#include <limits>

#include "math/bit_cast.h"
#include "math/correctly_rounded.h"
#include "math/double_double.h"
#include "math/stages.h"
#include "math/wide_float.h"

namespace {

#include "math/exp_tables.inc"

constexpr double kShift = 0x1.8p52;     // x + kShift - kShift: x rounded to an integer
constexpr double kSplit30 = 0x1.8p22;  // the same to a multiple of 2^-30
constexpr double kSplit31 = 0x1.8p21;  // to a multiple of 2^-31: 32 bits in [1, 2)

// The fast stage's error bound relative to T = 2^(j/1024) in [1, 2)
// (|r| <= 2^-11.52, |k| < 2^20.1, |d| = |k Step2| < 2^-24.4):
//   reduction: d rounded, 2^-78, and ln2/1024 - Step1 - Step2, 2^-98 times
//     |k|, 2^-77.9: 2^-76.9 in r, so in e^r;
//   T q, q = e^r - 1 - r, under 2^-23.04: truncation after r^5, 2^-78.6;
//     r^2, the polynomial, T_hi + T_lo and the two products rounded, 5.2
//     units of 2^-53 of it: 2^-73.7; r's rounding (2^-65) times T r:
//     2^-76.5;
//   T_hi (rb - d), |rb - d| < 2^-24.39: the difference and the product
//     rounded, 2^-78 and 2^-77; T_lo (1 + r), T_lo < 2^-31.9, and T_lo
//     itself: 2^-83; the table: 2^-105;
//   their sum, sl + it and the bound added to early, each under 2^-23.3:
//     2^-77 each; late added, under 2^-22.2: 2^-76.
// Together 2^-72.7; kExpErr is 2^-71, applied to hi >= 0.9996 T.
constexpr double kExpErr = 0x1p-71;

// The quick stage's error bound relative to H (hi = 2^m H, |r| <= 2^-11.52,
// |c| <= 2^-53, |k| < 2^19.76 for |x| < 600, so |d| < 2^-24.7):
//   r: r1 - d rounded, 2^-65, d rounded, 2^-78, ln2/1024 - Step1 - Step2
//     times |k|, 2^-78.2: 2^-64.98 (in e^r, times at most 1.0004);
//   c (e^r - 1) left out: 2^-64.52; truncation after r^4: 2^-64.51;
//   r + c rounded: 2^-65; hi (r + c) rounded: 2^-65 below 2^-11, 2^-64
//     above, where H > 2^0.519: 2^-64.52; the same for the sum into lo:
//     2^-64.52;
//   hi r^2 P(r), under 2^-23.04: r^2, P (its coefficients and roundings
//     together 2 units of 2^-53 of it) and the two products, 5 units of
//     2^-53: 2^-73.7; r's error in r^2: 2^-76.5; the table: 2^-106.
// Together 7.63 units of 2^-65, 2^-62.07; kQuickErr is 2^-62.046.
constexpr double kQuickErr = 0x1.fp-63;

// Errors of the accurate stage in units of the last of its 256 bits: the
// reduction x - k ln2/64 (|k| < 2^16.1) is good to 2^-244 absolute, the
// rest adds a few units: 2^12 units is 2^-243 relative, 2^14 leaves room.
constexpr std::uint64_t kAccurateErr = std::uint64_t{1} << 14;

constexpr double kInf = std::numeric_limits<double>::infinity();

// x in (-746, 710), k = 1024 x/ln2 rounded: exp(x) = (hi + lo) * 2^m within
// err * 2^m, or, when kScaled, (hi + lo) within err, the scale 2^m already
// in hi and lo (it must then keep every part normal: m >= -900).
// Also returns the two halves of lo the rounding test wants: lo = early + late.
template <bool kScaled>
inline void ExpCore(double x, double& hi, double& early, double& late, double& err, std::int64_t& m) {
  const double t = x * kExpInvStep + kShift;
  const double kd = t - kShift;
  const std::int64_t k = BitCast<std::int64_t>(t) - BitCast<std::int64_t>(kShift);
  const double r1 = x - kd * kExpStep1;  // exact: kd * Step1 has at most 53 bits, and x is that close to it
  const double d = kd * kExpStep2;
  const double r = r1 - d;
  m = k >> 10;
  const auto j = static_cast<std::size_t>(k & 1023);
  const double scale = kScaled ? PowerOfTwo(m) : 1.0;
  const double h = kExpHi[j];
  const double head = (h + kSplit31) - kSplit31;  // 32 bits
  const double th = head * scale, tl = ((h - head) + h * kExpRel[j]) * scale;
  const double ra = (r1 + kSplit30) - kSplit30;  // at most 19 bits
  const double rb = r1 - ra;                     // exact
  double sl;
  FastTwoSum(th, th * ra, hi, sl);  // th * ra is exact; |th| >= |th * ra|
  const double r2 = r * r;
  const double poly = (0.5 + r * (1.0 / 6)) + r2 * (1.0 / 24 + r * (1.0 / 120));  // (e^r - 1 - r) / r^2
  late = poly * ((th + tl) * r2);
  early = sl + (th * (rb - d) + tl * (1.0 + r));
  err = kExpErr * hi;
}

// The quick stage for |x| < 600: exp(x) = hi + lo within kQuickErr hi, both
// normal (or lo zero).
[[gnu::always_inline]] inline void ExpQuick(double x, double& hi, double& lo) {
  const double t = x * kExpInvStep + kShift;
  const double kd = t - kShift;
  const std::uint64_t tb = BitCast<std::uint64_t>(t);
  const auto k = static_cast<std::int64_t>(tb - BitCast<std::uint64_t>(kShift));
  const double r = (x - kd * kExpStep1) - kd * kExpStep2;
  const std::size_t j = tb & 1023;  // k's low bits: kShift has none there
  hi = BitCast<double>(BitCast<std::uint64_t>(kExpHi[j]) + (static_cast<std::uint64_t>(k >> 10) << 52));
  const double r2 = r * r;
  lo = hi * (r + kExpRel[j]) + (hi * r2) * ((0.5 + r * (1.0 / 6)) + r2 * (1.0 / 24));
}

// The quick stage's rounding test: RoundByTail with k = 8, as kQuickErr hi
// is under 2^-62.04 h (hi <= h (1 + 2^-11.5)).
inline bool RoundQuick(double hi, double lo, double& y) { return RoundByTail<8>(hi, lo, y); }

// The fast stage's domain: 2^-54 <= |x| < 600, where the result and every
// part of it are normal doubles.
inline bool InFastDomain(double x) {
  const std::uint64_t a = BitCast<std::uint64_t>(x) & ~(std::uint64_t{1} << 63);
  constexpr std::uint64_t lo = BitCast<std::uint64_t>(0x1p-54), hi = BitCast<std::uint64_t>(600.0);
  return a - lo < hi - lo;
}

// The quick stage's domain: |x| < 600 (NaN not), where the result and its
// parts are normal doubles or zero.
inline bool InQuickDomain(double x) {
  return (BitCast<std::uint64_t>(x) & ~(std::uint64_t{1} << 63)) < BitCast<std::uint64_t>(600.0);
}

// What the exponential is without computing: NaN, infinities, results that
// round to 1, to +inf or to +0. Returns false for the rest.
bool ExpObvious(double x, double& y) {
  if (x != x) {
    y = x + x;
    return true;
  }
  if (Magnitude(x) < 0x1p-54) {  // e^x within 2^-54 of 1: rounds to 1 (and e^0 is 1)
    y = 1.0;
    return true;
  }
  if (x > 709.79) {  // e^709.79 > DBL_MAX (1 + 2^-53): +inf, as for x = +inf
    y = kInf;
    return true;
  }
  if (x < -745.14) {  // e^-745.14 < 2^-1075, half the smallest subnormal: +0
    y = 0.0;
    return true;
  }
  return false;
}

// Rounds (s + u) * 2^m, m <= -1022, to the subnormal grid of 2^-1074 when the
// error bound allows it.
bool RoundSubnormal(double s, double u, std::int64_t m, double& y) {
  const double scale = PowerOfTwo(m + 1074);  // m >= -1077: at least 2^-3, exact products
  const double zs = s * scale, zu = u * scale;
  if (!(zs < 0x1p52 - 1.0)) return false;  // within a unit of 2^-1022: the grid below changes there
  const double err = kExpErr * zs + 0x1p-53;  // the second term: the rounding of frac + zu below
  constexpr double c = 0x1p52;                // ulp 1 from 2^52 to 2^53: additions round to integers
  const double v = zs + c;
  const double frac = zs - (v - c);  // exact, within 1/2
  const double f = frac + zu;
  const double a = v + (f + err);
  if (a != v + (f - err)) return false;
  y = (a - c) * 0x1p-1074;  // an integer up to 2^52 times the smallest subnormal: exact
  return true;
}

// exp(x) for x outside the fast domain (the quick one less the tiny x).
[[gnu::noinline]] double ExpEdge(double x) {
  double y;
  if (ExpObvious(x, y)) return y;
  double s, early, late, e;
  std::int64_t m;
  ExpCore<false>(x, s, early, late, e, m);
  const double u = early + late;
  const double h = s + (u + e);
  if (h == s + (u - e)) {
    if (m > 1000) return h * PowerOfTwo(m - 1) * 2.0;  // exact, or +inf past DBL_MAX
    if (m >= -1021 || (m == -1022 && h >= 1.0)) return h * PowerOfTwo(m);
  }
  if (m <= -1022 && RoundSubnormal(s, u, m, y)) return y;
  return ExpAccurate(x);
}

// The fast stage, then the accurate one: for the few the quick stage leaves.
[[gnu::noinline]] double ExpFastThenAccurate(double x) {
  if (!InFastDomain(x)) return ExpEdge(x);  // a tiny x: rounds to 1
  double s, early, late, e;
  std::int64_t m;
  ExpCore<true>(x, s, early, late, e, m);
  // The bound goes into the early half, so only two additions wait for the
  // polynomial.
  const double h = s + ((early + e) + late);
  if (h != s + ((early - e) + late)) return ExpAccurate(x);
  return h;
}

}  // namespace

bool ExpQuickParts(double x, FastParts& p) {
  if (!InQuickDomain(x)) return false;
  ExpQuick(x, p.hi, p.lo);
  p.err = kQuickErr * p.hi;
  return true;
}

bool RoundExpQuickParts(const FastParts& p, double& out) { return RoundQuick(p.hi, p.lo, out); }

bool ExpFastParts(double x, FastParts& p) {
  if (!InFastDomain(x)) return false;
  double early, late;
  std::int64_t m;
  ExpCore<true>(x, p.hi, early, late, p.err, m);
  p.lo = early + late;
  return true;
}

double CrExp(double x) {
  if (!InQuickDomain(x)) return ExpEdge(x);
  double hi, lo, y;
  ExpQuick(x, hi, lo);
  if (!RoundQuick(hi, lo, y)) return ExpFastThenAccurate(x);
  return y;
}

double ExpAccurate(double x) {
  double y;
  if (ExpObvious(x, y)) return y;
  // k = x 64/ln2 to the nearest integer, or one off: |r| <= ln2/128 (1 + 2^-40).
  const double t = x * 92.33248261689366 + kShift;
  const std::int64_t k = BitCast<std::int64_t>(t) - BitCast<std::int64_t>(kShift);
  const WideFloat r = WideSub(WideFromDouble(x), WideMul(WideFromInt(k), kLn2Over64Wide));
  WideFloat v = WideMul(WidePolynomial(kInverseFactorialWide, r), kExp2Wide[k & 63]);
  v.e += static_cast<int>(k >> 6);
  if (!WideRound(v, kAccurateErr, y)) WideRound(v, 0, y);  // never: see the top of this file
  return y;
}
