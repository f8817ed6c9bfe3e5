// sin(x) and cos(x), correctly rounded.
//
// Reduction: x = i pi/256 + r with |r| <= pi/512, i = 128 q + j, j < 128:
// sin x and cos x are +-sin a or +-cos a by the quadrant q, a = j pi/256 + r.
// Below 1024 (every angle the simulation turns by) i pi/256 comes from pi/256
// in three parts, the products exact; above, from the bits of 2/pi in
// integer arithmetic (Payne and Hanek), exactly for any double.
//
// Fast stage: sin a = S cos r + C sin r, cos a = C cos r - S sin r with
// S = sin(j pi/256) and C = cos(j pi/256) from a table as 21-bit heads and
// tails, and r split into a 16-bit head ra and the rest rb: the big terms
// S, C ra and S ra^2/2 are exact products, summed exactly; everything else
// is at most 2^-21 of the result. The error bound is worked out at Rotate;
// the rounding test decides all but about one call in 10^5. Below 1024 a
// first test on the bits, which needs no computed bound (RoundNear), decides
// all but about one result in 1000; those go on to the test with the bound.
//
// Accurate stage: the Payne-Hanek reduction to 446 bits, then the Taylor
// series of sin and cos at |t| <= pi/4 in 256-bit arithmetic: within 2^-240.
// Lefevre and Muller's worst cases for sin and cos need about 2^-(53 + 1 +
// 59) (59 identical bits after the rounding bit on [0, pi], more only for
// the tiny arguments, whose sin x = x - x^3/6 structure the 256 bits cover
// with room to spare), and no nonzero double is a multiple of
// pi/2, the worst being 2^-61 away (Kahan and McDonald): the 446 bits of
// the reduction keep over 380 after that cancellation.
#include <bit>
#include <cstdint>

#include "math/bit_cast.h"
#include "math/correctly_rounded.h"
#include "math/double_double.h"
#include "math/stages.h"
#include "math/wide_float.h"

namespace {

#include "math/sin_cos_tables.inc"

using u64 = std::uint64_t;

constexpr double kShift = 0x1.8p52;
constexpr double kSplit23 = 0x1.8p29;  // adding and subtracting rounds to a multiple of 2^-23

// Accurate stage: a few units of 2^-255 from the reduction and pi/2, about
// two per step of the series: 2^14 units (2^-241) leave room.
constexpr u64 kAccurateErr = u64{1} << 14;

// Error of the small reduction's r (when i != 0): |i| < 2^17, pi/256 held to
// 2^-132, i Step3 rounded (2^-115) and added (2^-113.4): 2^-112.5.
constexpr double kSmallReductionErr = 0x1p-111;
// Error of the large reduction's r when it is not the reduced angle itself:
// that angle to 2^-105 relative, at most pi/4.
constexpr double kLargeReductionErr = 0x1p-104;

// x = i pi/256 + rh + rl, |x| < 1024; exact but for kSmallReductionErr.
[[gnu::always_inline]] inline void ReduceSmall(double x, std::int64_t& i, double& rh, double& rl) {
  const double t = x * kSinCosInvStep + kShift;
  const double id = t - kShift;
  i = BitCast<std::int64_t>(t) - BitCast<std::int64_t>(kShift);
  const double r1 = x - id * kSinCosStep1;  // exact: the product has at most 53 bits, x is near it
  TwoSum(r1, -(id * kSinCosStep2), rh, rl);
  rl = rl - id * kSinCosStep3;
}

// The bits of 2/pi from b_start to b_(start+63), b1 being the first after the
// point (and b_k = 0 for k < 1).
u64 TwoOverPiWord(int start) {
  if (start < 1) {
    const int zeros = 1 - start;
    return zeros >= 64 ? 0 : kTwoOverPiBits[0] >> zeros;
  }
  const int w = (start - 1) / 64, o = (start - 1) % 64;
  const u64 hi = w < 24 ? kTwoOverPiBits[w] : 0;
  const u64 lo = w + 1 < 24 ? kTwoOverPiBits[w + 1] : 0;
  return o ? (hi << o) | (lo >> (64 - o)) : hi;
}

// a * 2/pi = 4n + q + f for a finite a >= 2^-27: the quadrant q and f in
// [-1/2, 1/2] to 2^-393 absolute (Payne and Hanek).
void ReduceWide(double a, int& q, WideFloat& f) {
  u64 x;
  int e;
  Decompose(a, x, e);  // a = x 2^e, a normal double
  // Bits of 2/pi before b_(e-1) make x 2^e b_k 2^-k a multiple of 4; 448
  // from there leave the rest under x 2^(e - (e - 1) - 447) < 2^-393.
  const int first = e - 1;
  u64 window[7];  // least significant word first
  for (int k = 0; k < 7; ++k) window[6 - k] = TwoOverPiWord(first + 64 * k);
  u64 p[7];  // x * window mod 2^448
  u64 carry = 0;
  for (int k = 0; k < 7; ++k) {
    u64 hi, lo;
    WideMul64(x, window[k], hi, lo);
    p[k] = lo + carry;
    carry = hi + (p[k] < lo);
  }
  // p / 2^446 = a 2/pi mod 4: two bits of quadrant over 446 of fraction.
  q = static_cast<int>(p[6] >> 62);
  p[6] &= (u64{1} << 62) - 1;
  bool negative = false;
  if (p[6] >> 61) {  // fraction >= 1/2: f = fraction - 1, one quadrant on
    negative = true;
    q = (q + 1) & 3;
    u64 borrow = 0;  // p = 2^446 - p
    for (int k = 0; k < 7; ++k) {
      const u64 v = 0 - p[k] - borrow;
      borrow = (p[k] | borrow) != 0;
      p[k] = v;
    }
    p[6] &= (u64{1} << 62) - 1;
  }
  int top = 6;
  while (top >= 0 && p[top] == 0) --top;
  if (top < 0) {
    f = WideFloat{{0, 0, 0, 0}, 0, false};
    return;
  }
  const int lead = 64 * top + 63 - std::countl_zero(static_cast<u64>(p[top]));  // the leading bit's position
  // Shifted so that the leading bit is bit 447: the top four words are the
  // 256 bits from it down.
  const int shift = 447 - lead, words = shift / 64, bitsIn = shift % 64;
  u64 m[7];
  for (int k = 6; k >= 0; --k) {
    const int from = k - words;
    u64 v = from >= 0 ? p[from] << bitsIn : 0;
    if (bitsIn && from - 1 >= 0) v |= p[from - 1] >> (64 - bitsIn);
    m[k] = v;
  }
  f = WideFloat{{m[3], m[4], m[5], m[6]}, lead - 445, negative};  // p = |f| 2^446
}

// |x| = i pi/256 + rh + rl within rerr for |x| >= 1024, through the
// reduction by 2/pi's bits; out of line, so that it costs the usual
// arguments nothing.
[[gnu::noinline]] void ReduceLarge(double x, std::int64_t& i, double& rh, double& rl, double& rerr) {
  int q;
  WideFloat f;
  ReduceWide(Magnitude(x), q, f);
  double th, tl;
  WideToDoublePair(WideMul(f, kPiOver2Wide), th, tl);
  std::int64_t i2;
  ReduceSmall(th, i2, rh, rl);
  rl = rl + tl;
  i = i2 + 128 * q;
  rerr = i2 ? kLargeReductionErr : 0.0;
}

// What every result of one reduced argument r = rh + rl shares.
struct Reduced {
  double rh, rl;
  double sm;       // sin r - r
  double c4;       // cos r - 1 + r^2/2
  double cm;       // cos r - 1, for the tables' tails
  double raShort;  // rh to a multiple of 2^-23: 16 bits
  double rbShort;  // r - raShort
  double rerr;     // error of rh + rl
};

[[gnu::always_inline]] inline Reduced Prepare(double rh, double rl, double rerr) {
  Reduced r;
  r.rh = rh;
  r.rl = rl;
  const double r2 = rh * rh;
  r.c4 = r2 * r2 * (1.0 / 24 + r2 * (-1.0 / 720 + r2 * (1.0 / 40320)));
  r.cm = r.c4 - 0.5 * r2;
  // sin(rh + rl) - (rh + rl), to first order in rl.
  r.sm = rh * r2 * (-1.0 / 6 + r2 * (1.0 / 120 - r2 * (1.0 / 5040))) + r.cm * rl;
  r.raShort = (rh + kSplit23) - kSplit23;
  r.rbShort = (rh - r.raShort) + rl;
  r.rerr = rerr;
  return r;
}

// A cos r + B sin r, A = ah + al and B = bh + bl from the table (signed),
// which is sin or cos of the argument; with r split as ra + rb it is
//   [A_h + B_h ra - A_h ra^2/2] + B_h (rb + sm) - A_h (rb (ra + rb/2) - c4)
//   + A_l (1 + cm) + B_l (r + sm),
// the bracket's products exact (21-bit heads, 16-bit ra) and summed exactly.
//
// Error bound (absolute):
//   terms with A, relative to |A|: the tail A_l (2^-21 A) times cos r,
//   rounded and added, the table (2^-74 A), four sums of at most 2^-21 A:
//   2^-71.2 |A|, under 2^-70.2 of the result (|A| >= sin(pi/256) > 2 |r|
//   makes |A| at most twice the result);
//   terms with B: B (rb + sm): sm's own evaluation (5.6 roundings of |sm|)
//   and seven roundings of sums holding B (|rb| + |sm|): 2^-49.3 |B|
//   (|rb| + |sm|);
//   truncations (r^9/9!, r^10/10!), second order in rl: under 2^-84;
//   the reduction: rerr.
// So err = 2^-69.5 |hi| + 2^-48.5 |B_h| (|rb| + |sm|) + rerr. Where A is 0
// (j = 0, the sine's quadrants) B is +-1 and ra is rh itself, the head
// product still exact, so tiny results keep their relative accuracy.
template <bool kBound>
[[gnu::always_inline]] inline void Rotate(double ah, double al, double bh, double bl, const Reduced& r, FastParts& out) {
  const bool shortHead = ah != 0.0;
  const double ra = shortHead ? r.raShort : r.rh;
  const double rb = shortHead ? r.rbShort : r.rl;
  double s1, e1, s2, e2;
  FastTwoSum(ah, bh * ra, s1, e1);  // |A| > |r| >= |B ra| unless A is 0
  FastTwoSum(s1, -(ah * (0.5 * (ra * ra))), s2, e2);
  const double b = bh * (rb + r.sm) - ah * (rb * (ra + 0.5 * rb) - r.c4) + al * (1.0 + r.cm) + bl * (r.rh + r.sm);
  out.hi = s2;
  out.lo = (e1 + e2) + b;
  out.err = kBound ? 0x1.6a09e667f3bcdp-70 * Magnitude(s2) +
                         0x1.6a09e667f3bcdp-49 * Magnitude(bh) * (Magnitude(rb) + Magnitude(r.sm)) + r.rerr
                   : 0.0;
}

// sin(q pi/2 + a) = A cos r + B sin r with a = j pi/256 + r: the table's
// sin and cos of j pi/256, swapped and signed by the quadrant q, as
// A = ah + al and B = bh + bl. The cosine is the sine a quadrant on, which
// makes its A and B the sine's B and -A.
struct Quadrant {
  double ah, al, bh, bl;
};

[[gnu::always_inline]] inline Quadrant SineInQuadrant(const double* t, int q) {
  // Indices and signs by arithmetic: the quadrant is as good as random, a
  // branch on it would be mispredicted half the time.
  static constexpr double kSigns[2] = {1.0, -1.0};
  const int a = (q & 1) * 2;  // 0: A is the sine's entry, 2: the cosine's
  const double sa = kSigns[(q >> 1) & 1], sb = kSigns[((q + 1) >> 1) & 1];
  return Quadrant{sa * t[a], sa * t[a + 1], sb * t[2 - a], sb * t[3 - a]};
}

inline void Negate(FastParts& p) {
  p.hi = -p.hi;
  p.lo = -p.lo;
}

// The fast stage: with its error bound for 2^-27 <= |x| < inf, or, for
// SinCosNear, without it for 2^-27 <= |x| < 1024 (every angle the
// simulation turns by): the rounding test below needs none.
template <bool kSin, bool kCos, bool kBound = true>
[[gnu::always_inline]] inline void SinCosFast(double x, FastParts* s, FastParts* c) {
  std::int64_t i;
  double rh, rl, rerr;
  bool flip = false;
  if (!kBound || Magnitude(x) < 1024.0) {
    ReduceSmall(x, i, rh, rl);
    rerr = i ? kSmallReductionErr : 0.0;
  } else {
    ReduceLarge(x, i, rh, rl, rerr);
    flip = x < 0;
  }
  const Reduced r = Prepare(rh, rl, rerr);
  const double* t = kSinCosFast[i & 127];
  const Quadrant v = SineInQuadrant(t, static_cast<int>((i >> 7) & 3));
  if (kSin) {
    Rotate<kBound>(v.ah, v.al, v.bh, v.bl, r, *s);
    if (flip) Negate(*s);
  }
  if (kCos) Rotate<kBound>(v.bh, v.bl, -v.ah, -v.al, r, *c);
}

template <bool kSin, bool kCos>
[[gnu::always_inline]] inline void SinCosNear(double x, FastParts* s, FastParts* c) {
  SinCosFast<kSin, kCos, false>(x, s, c);
}

// The rounding test for SinCosNear's parts, RoundByTail with k = 10: no
// bound computed. For |x| < 1024 Rotate's bound is at most 2^-64.36 |h|,
// h = hi + lo rounded, when |h| >= 2^-40:
//   where A != 0, |rb| <= 2^-24 + 2^-60 and |sm| <= 2^-24.63, so the second
//   term is at most 2^-71.78 |B_h|, and the result is at least
//   sin(pi/512) > 2^-7.36: 2^-64.42 |h|;
//   where A = 0, rb is rl, under 2^-53 |r_h| + 2^-66, and |sm| under
//   2^-17.28 |r_h|: under 2^-65.7 |h|;
//   the first term, 2^-69.5 |h|; the reduction's 2^-111, under 2^-71 |h|.
// The smaller results and those the test leaves open go to the stage with
// its bound.
inline bool RoundNear(const FastParts& p, double& y) { return RoundByTail<10, -40>(p.hi, p.lo, y); }

// Not a finite x with |x| >= 2^-27: tiny, zero, infinite or NaN.
inline bool SmallOrSpecial(double x) {
  constexpr u64 lo = BitCast<u64>(0x1p-27), hi = u64{0x7ff} << 52;
  return (BitCast<u64>(x) & ~(u64{1} << 63)) - lo >= hi - lo;
}

// SinCosNear's domain: 2^-27 <= |x| < 1024.
inline bool Near(double x) {
  constexpr u64 lo = BitCast<u64>(0x1p-27), hi = BitCast<u64>(1024.0);
  return (BitCast<u64>(x) & ~(u64{1} << 63)) - lo < hi - lo;
}

// The fast stage with its bound, then the accurate one: every argument
// SinCosNear does not take or leaves open.
[[gnu::noinline]] void SinCosBounded(double x, double& sine, double& cosine) {
  if (!SmallOrSpecial(x)) {
    FastParts s, c;
    SinCosFast<true, true>(x, &s, &c);
    if (RoundFastParts(s, sine) && RoundFastParts(c, cosine)) return;
  }
  SinCosAccurate(x, sine, cosine);
}

[[gnu::noinline]] double SinBounded(double x) {
  double y, unused;
  if (!SmallOrSpecial(x)) {
    FastParts s;
    SinCosFast<true, false>(x, &s, nullptr);
    if (RoundFastParts(s, y)) return y;
  }
  SinCosAccurate(x, y, unused);
  return y;
}

[[gnu::noinline]] double CosBounded(double x) {
  double y, unused;
  if (!SmallOrSpecial(x)) {
    FastParts c;
    SinCosFast<false, true>(x, nullptr, &c);
    if (RoundFastParts(c, y)) return y;
  }
  SinCosAccurate(x, unused, y);
  return y;
}

}  // namespace

bool SinCosFastParts(double x, FastParts& sine, FastParts& cosine) {
  if (SmallOrSpecial(x)) return false;
  SinCosFast<true, true>(x, &sine, &cosine);
  return true;
}

void SinCosAccurate(double x, double& sine, double& cosine) {
  if (x != x || x - x != 0.0) {  // NaN, or +-inf: NaN
    sine = cosine = x - x;
    return;
  }
  if (Magnitude(x) < 0x1p-27) {  // sin x = x and cos x = 1 after rounding
    sine = x;
    cosine = 1.0;
    return;
  }
  int q;
  WideFloat f;
  ReduceWide(Magnitude(x), q, f);
  const WideFloat t = WideMul(f, kPiOver2Wide);
  const WideFloat t2 = WideMul(t, t);
  const WideFloat st = WideMul(t, WidePolynomial(kSinTaylorWide, t2));
  const WideFloat ct = WidePolynomial(kCosTaylorWide, t2);
  WideFloat s = (q & 1) ? ct : st;
  if (q & 2) s = WideNegate(s);
  if (x < 0) s = WideNegate(s);
  WideFloat c = (q & 1) ? st : ct;
  if ((q + 1) & 2) c = WideNegate(c);
  if (!WideRound(s, kAccurateErr, sine)) WideRound(s, 0, sine);  // never: see the top of this file
  if (!WideRound(c, kAccurateErr, cosine)) WideRound(c, 0, cosine);
}

bool RoundSinCosNearParts(const FastParts& p, double& out) { return RoundNear(p, out); }

void CrSinCos(double x, double& sine, double& cosine) {
  if (Near(x)) {
    FastParts s, c;
    SinCosNear<true, true>(x, &s, &c);
    if (RoundNear(s, sine) && RoundNear(c, cosine)) return;
  }
  SinCosBounded(x, sine, cosine);
}

double CrSin(double x) {
  if (Near(x)) {
    FastParts s;
    double y;
    SinCosNear<true, false>(x, &s, nullptr);
    if (RoundNear(s, y)) return y;
  }
  return SinBounded(x);
}

double CrCos(double x) {
  if (Near(x)) {
    FastParts c;
    double y;
    SinCosNear<false, true>(x, nullptr, &c);
    if (RoundNear(c, y)) return y;
  }
  return CosBounded(x);
}
