#pragma once

#include <sys/types.h>

#include <string>

#include "sweep/plan.h"
#include "sweep/task_lock.h"

// One run of an experiment in its own directory DIR/runs/<task>.

// How a start went: the run started (its lock held until its end is
// recorded), it had finished already, another runner holds it, or it could
// not start (recorded as exit status kStartFailed, the reason in its
// stderr.txt, when its lock was held).
struct TaskStart {
  enum Kind { kStarted, kFinished, kElsewhere, kFailed } kind = kFailed;
  pid_t pid = -1;
  TaskLock lock;
  std::string why;  // why it could not start
};

// The exit status recorded for a run that could not start.
inline constexpr int kStartFailed = 127;

// Takes the task's lock, then empties its directory (an earlier start may
// have left a half-written Dbg.Log and, worse, an AllWeights.bin that would
// be loaded), copies the start weights in and starts vexlora-evolve writing
// run.csv.part.
TaskStart StartTask(const std::string& dir, const Plan& plan, const Task& task, const std::string& evolve);

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

// "task 4 (seed 2) is running in another vexlora-sweep; left to it"
std::string ElsewhereLine(const Plan& plan, const Task& task);

// Runs one task to its end in this process (a cluster's job): 0 when it
// finished (or had, or another runner runs it), 3 when it failed, 1 when it
// could not start or was killed.
int RunOneTask(const std::string& dir, const Plan& plan, const Task& task, const std::string& evolve);
