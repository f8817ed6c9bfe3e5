#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An experiment: every combination of the swept values (a variant) run with
// every seed, each run a vexlora-evolve of the same length.

// The plan options as given on the command line.
struct PlanOptions {
  std::string seeds;              // "1-20", "3,7,11", "1-4,10"
  std::vector<std::string> sets;  // "NAME=V1,V2,..." each
  std::string params = "params.ini";
  int generations = 100;
  std::string weights;            // a weight file copied into every run; empty for none
};

struct Plan {
  std::vector<std::string> names;                       // swept names, in --set order
  std::vector<std::vector<std::string>> variantValues;  // per variant, the text of each swept value
  std::vector<std::string> variantParams;               // per variant, its params.ini
  std::vector<std::uint32_t> seeds;                     // ascending, each once
  int generations = 100;
  std::string weights;  // the weight file every run starts from; empty for none
};

struct Task {
  int index = 0;
  int variant = 0;
  std::uint32_t seed = 0;
  int generations = 0;

  bool operator==(const Task&) const = default;
};

inline constexpr long long kMaxRuns = 100000;

// Variants in order, seeds ascending within each; task i is the i-th.
std::vector<Task> PlanTasks(const Plan& plan);

// "MutationRate=0.05, CritterCount=20", or "all runs" when nothing is swept.
std::string VariantLabel(const Plan& plan, int variant);

// Ascending, each seed once. False with a one-line reason.
bool ParseSeedList(const std::string& text, std::vector<std::uint32_t>* seeds, std::string* why);
// Ascending numbers as the shortest list of ranges ("1-4,10"): seeds as
// ParseSeedList reads them back, task numbers as Slurm's --array reads them.
std::string FormatRanges(const std::vector<std::uint32_t>& ascending);

// Reads the base params.ini and builds every variant, each passing the
// start-up check. False with a one-line reason, having written nothing.
bool MakePlan(const PlanOptions& options, Plan* plan, std::string* why);
