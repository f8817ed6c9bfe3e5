#include "math/wide_float.h"

#include <bit>
#include <cstdint>
#include <limits>

#include "math/bit_cast.h"
#include "math/double_double.h"

namespace {

using u64 = std::uint64_t;

bool IsZero(const WideFloat& a) { return (a.m[0] | a.m[1] | a.m[2] | a.m[3]) == 0; }

WideFloat Zero() { return WideFloat{{0, 0, 0, 0}, 0, false}; }

// |a| < |b|
bool MagnitudeLess(const WideFloat& a, const WideFloat& b) {
  if (IsZero(a)) return !IsZero(b);
  if (IsZero(b)) return false;
  if (a.e != b.e) return a.e < b.e;
  for (int i = 3; i >= 0; --i)
    if (a.m[i] != b.m[i]) return a.m[i] < b.m[i];
  return false;
}

// x (n limbs, least significant first) shifted right by s bits, truncated.
template <int n>
void ShiftRight(const u64* x, int s, u64* out) {
  const int limbs = s / 64, bits = s % 64;
  for (int i = 0; i < n; ++i) {
    const int k = i + limbs;
    u64 v = k < n ? x[k] >> bits : 0;
    if (bits && k + 1 < n) v |= x[k + 1] << (64 - bits);
    out[i] = k < n ? v : 0;
  }
}

// x (n limbs) shifted left by s bits, top bits dropped.
template <int n>
void ShiftLeft(const u64* x, int s, u64* out) {
  const int limbs = s / 64, bits = s % 64;
  for (int i = n - 1; i >= 0; --i) {
    const int k = i - limbs;
    u64 v = k >= 0 ? x[k] << bits : 0;
    if (bits && k - 1 >= 0) v |= x[k - 1] >> (64 - bits);
    out[i] = v;
  }
}

// The significand of a 5-limb number with its top bit at limb 4, bit 63
// after normalising: the top 256 bits, and the exponent change.
WideFloat FromFiveLimbs(u64* x, int e, bool negative) {
  int lead = 0;
  int i = 4;
  while (i >= 0 && x[i] == 0) {
    lead += 64;
    --i;
  }
  if (i < 0) return Zero();
  lead += std::countl_zero(x[i]);
  u64 y[5];
  ShiftLeft<5>(x, lead, y);
  return WideFloat{{y[1], y[2], y[3], y[4]}, e - lead, negative};
}

}  // namespace

// From 32-bit halves: plain standard C++, no compiler extension, on these
// rarely taken paths.
void WideMul64(u64 a, u64 b, u64& hi, u64& lo) {
  const u64 a0 = a & 0xffffffffu, a1 = a >> 32, b0 = b & 0xffffffffu, b1 = b >> 32;
  const u64 p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const u64 mid = (p00 >> 32) + (p01 & 0xffffffffu) + (p10 & 0xffffffffu);
  lo = (mid << 32) | (p00 & 0xffffffffu);
  hi = p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32);
}

WideFloat WideFromDouble(double d) {
  u64 significand;
  int e;  // |d| = significand * 2^e
  Decompose(d, significand, e);
  if (significand == 0) return Zero();
  const bool negative = BitCast<u64>(d) >> 63;
  const int lead = std::countl_zero(significand);
  // significand << lead has its top bit at 63: value = that * 2^(e - lead).
  return WideFloat{{0, 0, 0, significand << lead}, e - lead + 64, negative};
}

WideFloat WideFromInt(std::int64_t i) {
  if (i == 0) return Zero();
  const bool negative = i < 0;
  const u64 a = negative ? u64{0} - static_cast<u64>(i) : static_cast<u64>(i);
  const int lead = std::countl_zero(a);
  return WideFloat{{0, 0, 0, a << lead}, 64 - lead, negative};
}

WideFloat WideNegate(WideFloat a) {
  a.negative = !a.negative;
  return a;
}

WideFloat WideMul(const WideFloat& a, const WideFloat& b) {
  if (IsZero(a) || IsZero(b)) return Zero();
  u64 r[8] = {};
  for (int i = 0; i < 4; ++i) {
    u64 carry = 0;
    for (int j = 0; j < 4; ++j) {
      u64 hi, lo;
      WideMul64(a.m[i], b.m[j], hi, lo);
      const u64 t = r[i + j] + lo;
      const u64 c1 = t < lo;
      const u64 t2 = t + carry;
      const u64 c2 = t2 < carry;
      r[i + j] = t2;
      carry = hi + c1 + c2;  // the whole column fits in 128 bits, so this cannot wrap
    }
    r[i + 4] = carry;
  }
  // Both significands are at least 2^255, so the product has 511 or 512 bits.
  const bool negative = a.negative != b.negative;
  if (r[7] >> 63) return WideFloat{{r[4], r[5], r[6], r[7]}, a.e + b.e, negative};
  u64 y[5];
  ShiftLeft<5>(r + 3, 1, y);
  return WideFloat{{y[1], y[2], y[3], y[4]}, a.e + b.e - 1, negative};
}

WideFloat WideAdd(const WideFloat& a, const WideFloat& b) {
  if (IsZero(b)) return a;
  if (IsZero(a)) return b;
  const WideFloat& x = MagnitudeLess(a, b) ? b : a;  // the larger magnitude
  const WideFloat& y = MagnitudeLess(a, b) ? a : b;
  // One guard limb below both, so a cancellation of up to 64 bits still
  // leaves 256 exact bits before the final truncation.
  const u64 xs[5] = {0, x.m[0], x.m[1], x.m[2], x.m[3]};
  const u64 ys0[5] = {0, y.m[0], y.m[1], y.m[2], y.m[3]};
  u64 ys[5];
  const int shift = x.e - y.e;
  if (shift >= 320) {
    return x;
  }
  ShiftRight<5>(ys0, shift, ys);
  u64 s[5];
  if (x.negative == y.negative) {
    u64 carry = 0;
    for (int i = 0; i < 5; ++i) {
      const u64 t = xs[i] + ys[i];
      const u64 c1 = t < xs[i];
      s[i] = t + carry;
      carry = c1 | (s[i] < t);
    }
    if (carry) {
      u64 t[5];
      ShiftRight<5>(s, 1, t);
      t[4] |= u64{1} << 63;
      return WideFloat{{t[1], t[2], t[3], t[4]}, x.e + 1, x.negative};
    }
    return WideFloat{{s[1], s[2], s[3], s[4]}, x.e, x.negative};
  }
  u64 borrow = 0;
  for (int i = 0; i < 5; ++i) {
    const u64 t = xs[i] - ys[i];
    const u64 b1 = xs[i] < ys[i];
    s[i] = t - borrow;
    borrow = b1 | (t < borrow);
  }
  return FromFiveLimbs(s, x.e, x.negative);
}

void WideToDoublePair(const WideFloat& v, double& hi, double& lo) {
  const u64 top = v.m[3] >> 11;                             // 53 bits
  const u64 next = ((v.m[3] & 0x7ff) << 42) | (v.m[2] >> 22);  // the next 53
  const double sign = v.negative ? -1.0 : 1.0;
  hi = sign * static_cast<double>(top) * PowerOfTwo(v.e - 53);
  lo = sign * static_cast<double>(next) * PowerOfTwo(v.e - 106);
}

WideFloat WideQuotient(u64 nHigh, u64 nLow, u64 dHigh, u64 dLow, bool& inexact) {
  // Bring n and d to the same bit length, then n into [d, 2d): every step
  // below keeps n < 2d < 2^128.
  auto length = [](u64 hi, u64 lo) { return hi ? 128 - std::countl_zero(hi) : 64 - std::countl_zero(lo); };
  auto shl = [](u64& hi, u64& lo, int s) {
    if (s >= 64) {
      hi = lo << (s - 64);
      lo = 0;
    } else if (s > 0) {
      hi = (hi << s) | (lo >> (64 - s));
      lo <<= s;
    }
  };
  auto less = [](u64 ah, u64 al, u64 bh, u64 bl) { return ah != bh ? ah < bh : al < bl; };
  const int ln = length(nHigh, nLow), ld = length(dHigh, dLow);
  int e = ln - ld;  // n / d = (n' / d') * 2^e after the shifts
  if (ln < ld)
    shl(nHigh, nLow, ld - ln);
  else
    shl(dHigh, dLow, ln - ld);
  if (less(nHigh, nLow, dHigh, dLow)) {
    shl(nHigh, nLow, 1);
    e -= 1;
  }
  u64 q[4] = {};
  for (int bit = 255; bit >= 0; --bit) {
    if (!less(nHigh, nLow, dHigh, dLow)) {
      q[bit / 64] |= u64{1} << (bit % 64);
      const u64 borrow = nLow < dLow;
      nLow -= dLow;
      nHigh -= dHigh + borrow;
    }
    shl(nHigh, nLow, 1);
  }
  inexact = (nHigh | nLow) != 0;
  // q / 2^255 is n'/d' in [1, 2).
  return WideFloat{{q[0], q[1], q[2], q[3]}, e + 1, false};
}

namespace {

// Splits |v| at the last place a double of its size keeps: `top` holds the
// kept bits (at most 53, or fewer below 2^-1022), `biased` the exponent
// field for a normal result (0 for a subnormal one, or less than 0 when the
// value lies below half the smallest subnormal), and `tail - half` is
// returned as a sign and a magnitude that fits in 64 bits or is flagged big.
struct Split {
  u64 top;
  int biased;
  int tailSign;     // sign of tail - half: -1, 0, 1
  bool tailBig;     // |tail - half| >= 2^64 units
  u64 tailSmall;    // |tail - half| when not big
};

Split SplitForDouble(const WideFloat& v) {
  // |v| = m * 2^(e - 256), m in [2^255, 2^256): in [2^(e-1), 2^e).
  Split r{};
  int kept;  // bits of m kept: 53 for a normal double
  if (v.e >= -1021) {
    kept = 53;
    r.biased = v.e + 1022;
  } else {
    kept = v.e + 1074;  // the last place is 2^-1074
    r.biased = 0;
  }
  u64 tail[4], half[4] = {0, 0, 0, 0};
  if (kept > 0) {
    u64 t[4];
    ShiftRight<4>(v.m, 256 - kept, t);
    r.top = t[0];
    u64 back[4];
    ShiftLeft<4>(t, 256 - kept, back);
    for (int i = 0; i < 4; ++i) tail[i] = v.m[i] - back[i];  // back <= m limb by limb (its low bits are zero)
    const int h = 255 - kept;
    half[h / 64] = u64{1} << (h % 64);
  } else {
    // Below 2^-1074: nothing kept. At kept == 0 the boundary is 2^-1075,
    // which in units of m is 2^255; below that, any value is under it.
    r.top = 0;
    for (int i = 0; i < 4; ++i) tail[i] = v.m[i];
    if (kept == 0) {
      half[3] = u64{1} << 63;
    } else {
      // Under 2^-1075 by at least 2^-1076 * 2^-192 unless m is within 2^64
      // units of 2^256 at kept == -1.
      r.biased = -1;
      r.tailSign = -1;
      r.tailBig = kept < -1 || (v.m[3] & v.m[2] & v.m[1]) != ~u64{0};
      r.tailSmall = ~v.m[0];
      return r;
    }
  }
  // d = tail - half, as sign and magnitude.
  bool tailLess = false, equal = true;
  for (int i = 3; i >= 0; --i)
    if (tail[i] != half[i]) {
      tailLess = tail[i] < half[i];
      equal = false;
      break;
    }
  if (equal) {
    r.tailSign = 0;
    return r;
  }
  const u64* big = tailLess ? half : tail;
  const u64* small = tailLess ? tail : half;
  u64 d[4], borrow = 0;
  for (int i = 0; i < 4; ++i) {
    const u64 t = big[i] - small[i];
    const u64 b1 = big[i] < small[i];
    d[i] = t - borrow;
    borrow = b1 | (t < borrow);
  }
  r.tailSign = tailLess ? -1 : 1;
  r.tailBig = (d[1] | d[2] | d[3]) != 0;
  r.tailSmall = d[0];
  return r;
}

double Assemble(const Split& s, bool up, bool negative) {
  const u64 sign = negative ? u64{1} << 63 : 0;
  if (s.biased < 0) return BitCast<double>(sign);  // rounds to zero
  if (s.biased >= 2047) return BitCast<double>(sign | (u64{0x7ff} << 52));
  u64 bits;
  if (s.biased == 0)
    bits = s.top + up;  // a carry into bit 52 makes the smallest normal number
  else
    bits = (static_cast<u64>(s.biased) << 52) + (s.top - (u64{1} << 52)) + up;  // a carry moves the exponent
  if ((bits >> 52) >= 0x7ff) bits = u64{0x7ff} << 52;
  return BitCast<double>(sign | bits);
}

}  // namespace

bool WideRound(const WideFloat& v, u64 err, double& out) {
  if (IsZero(v)) {
    if (err != 0) return false;
    out = v.negative ? -0.0 : 0.0;
    return true;
  }
  if (v.e > 1024) {  // at least 2^1024, and so are its neighbours within err
    out = v.negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    return true;
  }
  const Split s = SplitForDouble(v);
  bool up;
  if (s.tailSign == 0) {
    if (err != 0) return false;
    up = s.top & 1;  // an exact tie: to even
  } else {
    if (!s.tailBig && s.tailSmall <= err) return false;
    up = s.tailSign > 0;
  }
  out = Assemble(s, up, v.negative);
  return true;
}

double WideRoundJustBelow(const WideFloat& v, bool inexact) {
  const Split s = SplitForDouble(v);
  const bool up = s.tailSign > 0 || (s.tailSign == 0 && inexact);
  return Assemble(s, up, v.negative);
}
