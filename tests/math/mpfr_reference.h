#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "math/stages.h"

// The reference for the math tests: MPFR's correctly rounded result of each
// function (MPFR is a test dependency only), and the arguments to try.

enum class MathFunction { Exp, Sin, Cos, Atan2 };

// The double nearest the exact value, ties to even, subnormals and overflow
// included. For Atan2, a is y and b is x.
double MpfrRounded(MathFunction f, double a, double b = 0.0);

// Whether a fast stage's parts hold the exact value: |f(a, b) - (hi + lo)|
// <= err.
bool WithinBound(MathFunction f, double a, double b, const FastParts& p);

// Bitwise the same double (so -0 and +0 differ), or both NaN.
bool SameDouble(double a, double b);

// A double as C's %a writes it, for messages.
std::string Hex(double d);

// Reproducible arguments.
class ArgumentSource {
 public:
  explicit ArgumentSource(std::uint64_t seed) : g_(seed) {}
  double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(g_); }
  // A random significand times 2^e for e in [lo, hi), either sign.
  double LogUniform(int lo, int hi);
  // Any finite double: random bits, NaN and infinity excluded.
  double AnyFinite();
  std::uint64_t Bits() { return g_(); }

 private:
  std::mt19937_64 g_;
};
