#!/usr/bin/env bash
# Fails when the simulation core or the drawing calls a transcendental
# function of the platform's math library: those differ between libraries
# and processors in the last bit, and a seed must name one run everywhere.
# The correctly rounded ones of math/ take their place (sqrt, floor and fmod
# are exact everywhere and may stay).
#
#   platform_math_calls_test.sh LIBRARY.a...
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: platform_math_calls_test.sh LIBRARY.a..."; exit 2; }

names='exp|exp2|exp10|expm1|log|log2|log10|log1p|logb|pow|sin|cos|sincos|tan|asin|acos|atan|atan2|sinh|cosh|tanh|asinh|acosh|atanh|hypot|cbrt|erf|erfc|tgamma|lgamma|lgamma_r'
# exp, expf, expl, __exp_finite, exp@GLIBC_2.29 and the vector variants
# (_ZGVbN2v_exp and the like).
pattern="^((__)?($names)[fl]?(_finite)?|_ZGV[a-zA-Z0-9]*_($names)[fl]?)(@.*)?\$"

failures=0
for lib in "$@"; do
  [ -f "$lib" ] || { echo "missing library: $lib"; failures=$((failures + 1)); continue; }
  found=$(nm -u --format=posix "$lib" 2>/dev/null | awk '{print $1}' | grep -E "$pattern" | sort -u || true)
  if [ -n "$found" ]; then
    echo "$(basename "$lib") calls the platform's math: $(echo $found)"
    failures=$((failures + 1))
  fi
done
if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "no platform transcendental function in $# libraries"
