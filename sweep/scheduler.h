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
  int failed = 0;       // runs that ended with another status than 0, or could not start
  int killed = 0;       // runs killed by a signal from outside
  int elsewhere = 0;    // runs another runner was running, left to it
  bool startFailed = false;  // a run could not start, so no later one started
  int stopSignal = 0;   // SIGINT, SIGTERM or SIGHUP that stopped the sweep, else 0
};

// Runs the unfinished tasks, at most jobs at once, each in its own
// directory; a task another runner holds is left to it. A run that cannot
// start is recorded as failed and ends the starting: the runs going finish.
// SIGINT, SIGTERM and SIGHUP stop every running child (they start again next
// time) and end the loop. Single-threaded on purpose: a child's parent-death
// signal follows the thread that started it.
SchedulerResult RunTasks(const std::string& dir, const Plan& plan, const std::vector<Task>& pending, int alreadyDone,
                         const SchedulerOptions& options);
