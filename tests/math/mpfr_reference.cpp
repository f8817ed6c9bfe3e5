#include "tests/math/mpfr_reference.h"

#include <mpfr.h>

#include <bit>
#include <cmath>
#include <cstdio>

namespace {

// The exponent range of a double, so that MPFR rounds as a double would
// (with mpfr_subnormalize for the subnormals).
class DoubleRange {
 public:
  DoubleRange() : emin_(mpfr_get_emin()), emax_(mpfr_get_emax()) {
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
  }
  ~DoubleRange() {
    mpfr_set_emin(emin_);
    mpfr_set_emax(emax_);
  }
  DoubleRange(const DoubleRange&) = delete;
  DoubleRange& operator=(const DoubleRange&) = delete;

 private:
  mpfr_exp_t emin_, emax_;
};

int Evaluate(MathFunction f, mpfr_t out, const mpfr_t a, const mpfr_t b, mpfr_rnd_t rnd) {
  switch (f) {
    case MathFunction::Exp:
      return mpfr_exp(out, a, rnd);
    case MathFunction::Sin:
      return mpfr_sin(out, a, rnd);
    case MathFunction::Cos:
      return mpfr_cos(out, a, rnd);
    case MathFunction::Atan2:
      return mpfr_atan2(out, a, b, rnd);
  }
  return 0;
}

}  // namespace

double MpfrRounded(MathFunction f, double a, double b) {
  DoubleRange range;
  mpfr_t x, y, r;
  mpfr_inits2(53, x, y, r, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_d(x, a, MPFR_RNDN);
  mpfr_set_d(y, b, MPFR_RNDN);
  const int ternary = Evaluate(f, r, x, y, MPFR_RNDN);
  mpfr_subnormalize(r, ternary, MPFR_RNDN);
  const double d = mpfr_get_d(r, MPFR_RNDN);
  mpfr_clears(x, y, r, static_cast<mpfr_ptr>(nullptr));
  return d;
}

bool WithinBound(MathFunction f, double a, double b, const FastParts& p) {
  mpfr_t x, y, r;
  mpfr_inits2(300, x, y, r, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_d(x, a, MPFR_RNDN);
  mpfr_set_d(y, b, MPFR_RNDN);
  Evaluate(f, r, x, y, MPFR_RNDN);
  mpfr_sub_d(r, r, p.hi, MPFR_RNDN);
  mpfr_sub_d(r, r, p.lo, MPFR_RNDN);
  mpfr_abs(r, r, MPFR_RNDN);
  const bool within = mpfr_cmp_d(r, p.err) <= 0;
  mpfr_clears(x, y, r, static_cast<mpfr_ptr>(nullptr));
  return within;
}

bool SameDouble(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) || (std::isnan(a) && std::isnan(b));
}

std::string Hex(double d) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%a", d);
  return buf;
}

double ArgumentSource::LogUniform(int lo, int hi) {
  const double significand = Uniform(1.0, 2.0);
  const int e = std::uniform_int_distribution<int>(lo, hi - 1)(g_);
  const double v = std::ldexp(significand, e);
  return (g_() & 1) ? -v : v;
}

double ArgumentSource::AnyFinite() {
  for (;;) {
    const double d = std::bit_cast<double>(g_());
    if (std::isfinite(d)) return d;
  }
}
