#pragma once

#include <sys/types.h>

#include <string>

#include "sweep/plan.h"

// One run of an experiment in its own directory DIR/runs/<task>.

// Empties the task's directory (an earlier start may have left a half-written
// Dbg.Log and, worse, an AllWeights.bin that would be loaded), copies the start
// weights in and starts vexlora-evolve writing run.csv.part. The pid, or -1
// with why.
pid_t StartTask(const std::string& dir, const Plan& plan, const Task& task, const std::string& evolve,
                std::string* why);

struct TaskEnd {
  enum Kind { kDone, kFailed, kKilled } kind = kKilled;
  int status = 0;       // the exit status of a failed run
  int signal = 0;       // the signal that killed the run
  std::string message;  // the run's last line on standard error
};

// Records how the child ended (its wait status): run.csv renamed into place
// after status 0, exit-status written after another status; a run killed by
// a signal is left unfinished, to run again.
TaskEnd FinishTask(const std::string& dir, const Task& task, int waitStatus);

// "task 4 (MutationRate=0.2, seed 2)"
std::string TaskName(const Plan& plan, const Task& task);

// Generations the running task has written to its CSV so far.
long long GenerationsWritten(const std::string& dir, const Task& task);

// Runs one task to its end in this process (a cluster's job): 0 when it
// finished, 3 when it failed, 1 when it could not start or was killed.
int RunOneTask(const std::string& dir, const Plan& plan, const Task& task, const std::string& evolve);
