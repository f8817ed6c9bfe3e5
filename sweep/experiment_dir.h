#pragma once

#include <string>

#include "sweep/plan.h"
#include "sweep/run_csv.h"

// The files of an experiment directory DIR, read by the sweep itself, by
// every task on a cluster and by the summary:
//   variants.csv                  variant, then one column per swept name
//   variants/<variant>/params.ini  the base file with that variant's values
//   tasks.csv                     task,variant,seed,generations
//   AllWeights.bin                the weight file every run starts from (--weights)
//   runs/<task>/                  the run's working directory: run.csv once
//                                 finished, Dbg.Log, AllWeights.bin, stderr.txt,
//                                 exit-status after a failure
//   runs/<task>.lock              held by the runner running the task (task_lock.h)

std::string VariantParamsPath(const std::string& dir, int variant);
std::string StartWeightsPath(const std::string& dir);
std::string RunDir(const std::string& dir, int task);
std::string TaskLockPath(const std::string& dir, int task);

// kEmpty: nothing but what a planning cut short left (no tasks.csv).
enum class DirState { kMissing, kEmpty, kPlan, kOther };
DirState InspectDir(const std::string& dir);

// Writes the whole plan and syncs it: beside a missing DIR, renamed into
// place; inside an existing (empty) DIR, moved into it with tasks.csv last,
// so the directory a shell stands in stays that directory. DIR is thus
// absent, empty (or holding an unfinished plan, which InspectDir counts as
// empty) or a whole plan, which survives a crash once this returns. False
// with why.
bool WritePlan(const std::string& dir, const Plan& plan, std::string* why);

// Reads the plan DIR holds; weights is DIR's copy when there is one.
bool ReadPlan(const std::string& dir, Plan* plan, std::string* why);

// The first way in which the asked-for plan differs from the held one, as
// "--seeds: DIR has 1-3, this run asks for 1-4"; empty when they are the same.
std::string PlanDifference(const std::string& dir, const Plan& held, const Plan& asked);

// What a task's directory holds: a finished run (a whole run.csv, its values
// read when asked for), a run.csv that is not whole, a failed run (with its
// exit status) or nothing finished. Only kDone is finished: every other
// state runs again.
enum class RunState { kDone, kNotWhole, kFailed, kMissing };
RunState ReadRunState(const std::string& dir, const Task& task, int* exitStatus, RunValues* values = nullptr);
