// exp(x), correctly rounded.
//
// The network calls exp eight times a critter step, in two rounds each
// waiting for the last, so the first stage is as short as the platform's
// own exp: the reduction below and T (1 + p(r)) in plain double arithmetic,
// within 2^-61.2 (worked out at kQuickErr), then the rounding test. It
// decides all but about one call in a hundred; those go on to the fast stage,
// then, rarely, to the accurate one.
//
// Fast stage: x = k ln2/512 + r with |r| <= ln2/1024, exp(x) = 2^(k/512) e^r,
// 2^(j/512) from the table as T_hi + T_lo with T_hi of 32 bits (rounded
// from the table's double), so that T_hi times r rounded to 20 bits is exact; e^r - 1 - r by its Taylor polynomial
// to r^5. The result hi + lo is within 2^-70.9 hi of exp(x) (the bound is
// worked out at kExpErr) and the rounding test decides unless exp(x) lies
// that close to a midpoint between two doubles: about once in 10^5 calls.
// The network calls exp in two rounds a step, each waiting for the last, so
// the stage is laid out for a short chain of dependent operations: the
// scale 2^(k/512) goes into the table values at once, the polynomial is
// evaluated in two halves at the same time, the rounding test adds the
// error bound to the parts that are ready first.
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

// The fast stage's error bound relative to hi, with its parts (|r| <= 2^-10.52,
// |k| < 2^19.1, every term relative to 2^(j/512) in [1, 2)):
//   reduction: k Step2 rounded, 2^-77, and ln2/512 - Step1 - Step2, 2^-96
//     times |k|: 2^-76 in r, so in e^r;
//   T q, q = e^r - 1 - r: truncation after r^5, 2^-72.6; six roundings of
//     at most 2^-22 (r^2, the two halves of the polynomial and their sum,
//     (T_hi + T_lo) r^2, the product), 2^-72.5; r rounded, 2^-74;
//   T_hi (rb - d) + T_lo (1 + r) and the sums into lo: 2^-77, 2^-76,
//     2^-76 and 2^-74 (the last of at most 2^-21);
//   the table: 2^-85 (T_hi + T_lo from the table's two doubles).
// Together 2^-70.9; kExpErr is 2^-69.5, applied to hi >= 0.999.
constexpr double kExpErr = 0x1.6a09e667f3bcdp-70;

// The quick stage's error bound relative to hi = T, the table's double in
// [1, 2) (|r| <= 2^-10.52):
//   r: r1 - k Step2 rounded, 2^-63.5 (and the rest as above), so 2^-63.4 in
//     e^r;
//   T r rounded: at most 2^-63 where T r >= 2^-10, so T > 2^0.52, and 2^-64
//     below: 2^-63.5 of T; T_lo r left out: 2^-63.5 of T;
//   T r^2 P(r): truncation after r^5 and five roundings of at most 2^-21:
//     under 2^-72;
//   the sums T_lo + T r + T r^2 P(r) (with the bound, in the test), each
//     as the product: 2^-63.5 of T.
// Together 2^-61.16; kQuickErr is 2^-60.5.
constexpr double kQuickErr = 0x1.6a09e667f3bcdp-61;

// Errors of the accurate stage in units of the last of its 256 bits: the
// reduction x - k ln2/64 (|k| < 2^16.1) is good to 2^-244 absolute, the
// rest adds a few units: 2^12 units is 2^-243 relative, 2^14 leaves room.
constexpr std::uint64_t kAccurateErr = std::uint64_t{1} << 14;

constexpr double kInf = std::numeric_limits<double>::infinity();

// x in (-746, 710), k = 512 x/ln2 rounded: exp(x) = (hi + lo) * 2^m within
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
  m = k >> 9;
  const auto j = static_cast<std::size_t>(k & 511);
  const double scale = kScaled ? PowerOfTwo(m) : 1.0;
  const double t53 = kExpFast[j][0];
  const double head = (t53 + kSplit31) - kSplit31;  // 32 bits
  const double th = head * scale, tl = ((t53 - head) + kExpFast[j][1]) * scale;
  const double ra = (r1 + kSplit30) - kSplit30;  // at most 20 bits
  const double rb = r1 - ra;                     // exact
  double sl;
  FastTwoSum(th, th * ra, hi, sl);  // th * ra is exact; |th| >= |th * ra|
  const double r2 = r * r;
  const double poly = (0.5 + r * (1.0 / 6)) + r2 * (1.0 / 24 + r * (1.0 / 120));  // (e^r - 1 - r) / r^2
  late = poly * ((th + tl) * r2);
  early = sl + (th * (rb - d) + tl * (1.0 + r));
  err = kExpErr * hi;
}

// The quick stage: exp(x) = (hi + ((early + late1) + late2)) * scale within
// err * scale. The parts are ordered by when they are ready: the table's,
// then T r, then T r^2 P(r); the few floating-point operations it takes
// matter as much as their chain, the network's six hidden neurons calling
// it side by side.
[[gnu::always_inline]] inline void ExpQuick(double x, double& hi, double& early, double& late1, double& late2, double& err,
                     double& scale) {
  const double t = x * kExpInvStep + kShift;
  const double kd = t - kShift;
  const std::int64_t k = BitCast<std::int64_t>(t) - BitCast<std::int64_t>(kShift);
  const double r = (x - kd * kExpStep1) - kd * kExpStep2;
  scale = PowerOfTwo(k >> 9);
  const auto j = static_cast<std::size_t>(k & 511);
  hi = kExpFast[j][0];
  early = kExpFast[j][1];
  const double r2 = r * r;
  late1 = hi * r;
  late2 = (hi * r2) * ((0.5 + r * (1.0 / 6)) + r2 * (1.0 / 24 + r * (1.0 / 120)));  // T (e^r - 1 - r)
  err = kQuickErr * hi;
}

// The fast stage's domain: 2^-54 <= |x| < 600, where the result and every
// part of it are normal doubles.
inline bool InFastDomain(double x) {
  const std::uint64_t a = BitCast<std::uint64_t>(x) & ~(std::uint64_t{1} << 63);
  constexpr std::uint64_t lo = BitCast<std::uint64_t>(0x1p-54), hi = BitCast<std::uint64_t>(600.0);
  return a - lo < hi - lo;
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

// exp(x) for x outside the fast domain.
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
  if (!InFastDomain(x)) return false;
  double early, late1, late2, scale;
  ExpQuick(x, p.hi, early, late1, late2, p.err, scale);
  p.lo = (early + late1) + late2;
  p.scale = static_cast<int>(BitCast<std::uint64_t>(scale) >> 52) - 1023;
  return true;
}

bool ExpFastParts(double x, FastParts& p) {
  if (!InFastDomain(x)) return false;
  double early, late;
  std::int64_t m;
  ExpCore<true>(x, p.hi, early, late, p.err, m);
  p.lo = early + late;
  p.scale = 0;
  return true;
}

double CrExp(double x) {
  if (!InFastDomain(x)) return ExpEdge(x);
  double s, early, late1, late2, e, scale;
  ExpQuick(x, s, early, late1, late2, e, scale);
  const double h = s + (((early + e) + late1) + late2);
  if (h != s + (((early - e) + late1) + late2)) return ExpFastThenAccurate(x);
  return h * scale;
}

double ExpAccurate(double x) {
  double y;
  if (ExpObvious(x, y)) return y;
  // k = x 64/ln2 to the nearest integer, or one off: |r| <= ln2/128 (1 + 2^-40).
  const double t = x * 92.33248261689366 + kShift;
  const std::int64_t k = BitCast<std::int64_t>(t) - BitCast<std::int64_t>(kShift);
  const WideFloat r = WideSub(WideFromDouble(x), WideMul(WideFromInt(k), kLn2Over64Wide));
  WideFloat v = WideMul(WidePolynomial(kInverseFactorialWide, 26, r), kExp2Wide[k & 63]);
  v.e += static_cast<int>(k >> 6);
  if (!WideRound(v, kAccurateErr, y)) WideRound(v, 0, y);  // never: see the top of this file
  return y;
}
