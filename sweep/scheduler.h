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
  int stopSignal = 0;  // SIGINT, SIGTERM or SIGHUP that stopped the sweep, else 0
};

// Runs the unfinished tasks, at most jobs at once, each in its own
// directory; a task another runner holds is left to it. A run that cannot
// start is recorded as failed and ends the starting: the runs going finish.
// SIGINT, SIGTERM and SIGHUP stop every running child (they start again next
// time) and end the loop. Single-threaded on purpose: a child's parent-death
// signal follows the thread that started it.
SchedulerResult RunTasks(const std::string& dir, const Plan& plan, const std::vector<Task>& pending, int alreadyDone,
                         const SchedulerOptions& options);
