#pragma once

#include <string>
#include <vector>

#include "sweep/plan.h"

struct SchedulerOptions {
  int jobs = 1;
  bool progress = false;  // the progress line on standard error
  std::string evolve;     // the vexlora-evolve to run
};

struct SchedulerResult {
  int failed = 0;       // runs that ended with another status than 0
  int killed = 0;       // runs killed by a signal from outside
  int stopSignal = 0;   // SIGINT, SIGTERM or SIGHUP that stopped the sweep, else 0
  std::string error;    // why a run could not be started, else empty
};

// Runs the unfinished tasks, at most jobs at once, each in its own
// directory. SIGINT, SIGTERM and SIGHUP stop every running child (they start
// again next time) and end the loop. Single-threaded on purpose: a child's
// parent-death signal follows the thread that started it.
SchedulerResult RunTasks(const std::string& dir, const Plan& plan, const std::vector<Task>& pending, int alreadyDone,
                         const SchedulerOptions& options);
