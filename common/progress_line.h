#pragma once

#include <string>

// The one progress line both tools show on a terminal: a bar, the units
// done of all (a sweep's runs, a run's generations), the generations a
// second and the time left at that rate, e.g.
//   [#########.....................] 3/10 runs, 152.5 gen/s, 1m02s left
struct ProgressFigures {
  long long done = 0;
  long long all = 0;
  const char* unit = "runs";
  long long generationsDone = 0;  // since the start, by every run
  long long generationsLeft = 0;
  double seconds = 0.0;
};

std::string ProgressLine(const ProgressFigures& f);
