#pragma once

#include <string>
#include <vector>

#include "sweep/plan.h"

// The statistics across the finished runs of an experiment directory:
//   runs.csv     task,variant,seed,status,generations, the last row's
//                best_rolling,average_rolling,composite,best_composite,wins,saves,
//                then first_save_generation; status done, failed:<status> or missing
//   summary.csv  per variant and generation over its finished runs: the mean
//                and sample standard deviation of best_rolling,
//                average_rolling and composite (the deviation empty for one run)
//   summary.png, summary.svg  the same as a picture, each mean with its 95 %
//                confidence interval, mean +- t*sd/sqrt(n) (Student's t, n - 1
//                degrees of freedom), for two runs or more
// Means are summed in ascending seed order, so the files depend only on the
// runs, never on the order in which they finished.
struct SummaryOutcome {
  int done = 0;
  int failed = 0;
  int missing = 0;
  std::vector<std::string> leftOut;  // one line per run left out of the statistics
};

bool WriteSummary(const std::string& dir, const Plan& plan, SummaryOutcome* outcome, std::string* why);
