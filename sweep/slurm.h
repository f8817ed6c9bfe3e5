#pragma once

#include <string>
#include <vector>

// The experiment as Slurm jobs: DIR/sweep.sbatch is an array job over the
// unfinished tasks, one CPU each, every array task calling
// `vexlora-sweep task DIR $SLURM_ARRAY_TASK_ID`; its output goes to
// DIR/slurm/. The summary is a second job that waits for the whole array
// (afterany), so failed runs are summarised too.

// Writes DIR/sweep.sbatch for the given unfinished tasks. self is the path of
// vexlora-sweep; dir is made absolute in the script.
bool WriteSbatch(const std::string& dir, const std::string& self, const std::vector<int>& tasks, std::string* why);

// Submits the array and then the summary after it with `sbatch --parsable`,
// the extra options going to both. The two job ids, or false with why.
bool SubmitSbatch(const std::string& dir, const std::string& self, const std::vector<std::string>& extra,
                  std::string* arrayJob, std::string* summaryJob, std::string* why);
