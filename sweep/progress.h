#pragma once

#include <string>

// The one line shown on a terminal while a sweep runs: runs done of all,
// generations a second over all runs, and the time left at that rate.
struct ProgressFigures {
  int runsDone = 0;
  int runsAll = 0;
  long long generationsDone = 0;  // in this sweep, by finished and running runs
  long long generationsLeft = 0;
  double seconds = 0.0;
};

std::string ProgressLine(const ProgressFigures& f);
