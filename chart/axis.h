#pragma once

#include <string>
#include <vector>

// An axis of a chart: the range it spans and the step between its ticks,
// a round number (1, 2, 2.5 or 5 times a power of ten).
struct Axis {
  double lo = 0;
  double hi = 1;
  double step = 1;
};

// The round step nearest above raw.
double RoundStep(double raw);

// A value axis: the data range widened to whole steps, about five of them;
// a range of one value is widened around it, an empty one (lo > hi) is 0 to 1.
Axis ValueAxis(double lo, double hi);

// An axis of whole numbers such as generations: exactly first to last, ticks
// at whole steps, about eight of them.
Axis WholeAxis(int first, int last);

// Exactly lo to hi, ticks at round steps inside, about `ticks` of them: for
// ranges fixed in advance, such as a colour scale's.
Axis FixedAxis(double lo, double hi, int ticks);

// The tick values: the whole multiples of the step within the range.
std::vector<double> Ticks(const Axis& axis);

// A tick's text, with just enough decimals to tell the ticks apart.
std::string TickLabel(double value, double step);
