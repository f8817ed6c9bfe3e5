#pragma once

// The simulation's exp, sin, cos and atan2. Each returns the double nearest
// to the exact mathematical value, ties to even, for every argument: the
// one answer every correct implementation agrees on. They are computed
// with IEEE +, -, * and / on doubles and integer arithmetic alone, so a run
// gives the same bits with any compiler, C library or processor (x86-64
// with or without FMA, AArch64, WebAssembly), where the platform's own
// functions differ in the last bit now and then and a knife-edge event then
// goes the other way.
//
// Special arguments behave as IEEE 754 and C's Annex F say:
//   CrExp: NaN -> NaN, +inf -> +inf, -inf -> +0, +-0 -> 1; results too
//     large round to +inf, too small to a subnormal or +0.
//   CrSin, CrCos: NaN and +-inf -> NaN; CrSin(+-0) = +-0, CrCos(+-0) = 1.
//     Arguments of any size are reduced exactly (by as many bits of 2/pi as
//     they need).
//   CrAtan2(y, x): the angle of (x, y) in [-pi, pi]; NaN in -> NaN out;
//     atan2(+-0, +0 or x > 0) = +-0, atan2(+-0, -0 or x < 0) = +-pi,
//     atan2(y != 0, +-0) = +-pi/2, atan2(+-inf, +inf) = +-pi/4,
//     atan2(+-inf, -inf) = +-3pi/4, atan2(+-inf, finite) = +-pi/2,
//     atan2(+-y, +inf) = +-0 and atan2(+-y, -inf) = +-pi for finite y > 0.
//
// Each is a fast evaluation with a proven error bound and a rounding test
// (exp has a quicker one in front, which leaves about four calls in a
// thousand to it; the others a cheaper first test on the bits), and, when
// the test cannot decide (about once in 10^5 calls), an evaluation with
// 256-bit integer arithmetic that can. The costs are in the README's
// Performance section.

double CrExp(double x);
double CrSin(double x);
double CrCos(double x);
// Both at once, from one argument reduction.
void CrSinCos(double x, double& sine, double& cosine);
double CrAtan2(double y, double x);
