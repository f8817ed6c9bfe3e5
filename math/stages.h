#pragma once

// The two stages behind each function of math/correctly_rounded.h, for the
// tests and the benchmarks: the tests check each stage on its own (the
// accurate one is otherwise seldom reached) and that the fast stages' error
// bounds hold.

// What a fast stage computed before its rounding test: the value
// (hi + lo) * 2^scale, within err * 2^scale of the exact result.
struct FastParts {
  double hi;
  double lo;
  double err;
  int scale;
};

// The rounding test: true, and the correctly rounded result, when every
// value within err of hi + lo rounds to the same double (normal results).
inline bool RoundFastParts(const FastParts& p, double& out) {
  const double a = p.hi + (p.lo + p.err);
  if (a != p.hi + (p.lo - p.err)) return false;
  out = a;
  return true;
}

// The fast stages. False for arguments they do not take (special values,
// tiny or huge results, for atan2 extreme ratios): those go straight to the
// accurate stage or are exact.
bool ExpQuickParts(double x, FastParts& p);  // exp's first stage, before ExpFastParts
// The quick stage's own rounding test (cheaper than RoundFastParts, and a
// little less often decisive), for the parts ExpQuickParts gives.
bool RoundExpQuickParts(const FastParts& p, double& out);
bool ExpFastParts(double x, FastParts& p);
bool SinCosFastParts(double x, FastParts& sine, FastParts& cosine);
// sin and cos's first rounding test, for 2^-27 <= |x| < 1024: cheaper than
// RoundFastParts (it needs no bound) and a little less often decisive; for
// the parts SinCosFastParts gives there.
bool RoundSinCosNearParts(const FastParts& p, double& out);
bool Atan2FastParts(double y, double x, FastParts& p);

// The accurate stages, for every argument.
double ExpAccurate(double x);
void SinCosAccurate(double x, double& sine, double& cosine);
double Atan2Accurate(double y, double x);
