#include "chart/axis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

double RoundStep(double raw) {
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double scaled = raw / magnitude;
  const double factor = scaled <= 1 ? 1 : scaled <= 2 ? 2 : scaled <= 2.5 ? 2.5 : scaled <= 5 ? 5 : 10;
  return factor * magnitude;
}

Axis ValueAxis(double lo, double hi) {
  if (!(lo <= hi)) {  // no data
    lo = 0;
    hi = 1;
  }
  if (hi - lo < 1e-9 * std::max(1.0, std::fabs(hi))) {
    const double pad = std::max(0.5, std::fabs(hi) * 0.05);
    lo -= pad;
    hi += pad;
  }
  Axis axis;
  axis.step = RoundStep((hi - lo) / 5);
  axis.lo = std::floor(lo / axis.step + 1e-9) * axis.step;
  axis.hi = std::ceil(hi / axis.step - 1e-9) * axis.step;
  return axis;
}

Axis WholeAxis(int first, int last) {
  Axis axis;
  axis.lo = first;
  axis.hi = last;
  if (last <= first) {  // one value: in the middle
    axis.lo = first - 1;
    axis.hi = first + 1;
  }
  axis.step = std::max(1.0, RoundStep((axis.hi - axis.lo) / 8));
  if (axis.step == 2.5) axis.step = 2;
  return axis;
}

Axis FixedAxis(double lo, double hi, int ticks) {
  Axis axis;
  axis.lo = lo;
  axis.hi = hi;
  if (!(lo < hi)) {
    axis.lo = lo - 0.5;
    axis.hi = lo + 0.5;
  }
  axis.step = RoundStep((axis.hi - axis.lo) / std::max(1, ticks));
  return axis;
}

std::vector<double> Ticks(const Axis& axis) {
  std::vector<double> ticks;
  const double first = std::ceil(axis.lo / axis.step - 1e-9);
  for (double k = first;; k += 1) {
    const double value = k * axis.step;
    if (value > axis.hi + axis.step * 1e-9) break;
    ticks.push_back(value);
  }
  return ticks;
}

std::string TickLabel(double value, double step) {
  int decimals = 0;
  while (decimals < 6 && std::fabs(step * std::pow(10.0, decimals) - std::round(step * std::pow(10.0, decimals))) > 1e-6)
    ++decimals;
  if (std::fabs(value) < step * 1e-9) value = 0;  // no "-0"
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}
