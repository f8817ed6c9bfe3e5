#pragma once

// What the sweep's end-to-end tests share: the programs, a scenario whose
// short runs differ from seed to seed and save often, and reading back an
// experiment directory.

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/runner_text.h"

inline const std::string kSweep = VEXLORA_SWEEP;
inline const std::string kEvolveProgram = VEXLORA_EVOLVE;

// Short generations on a well-stocked arena with gentle mutation: the runs
// score from the first generation and beat their best composite score often,
// so they save at most generation ends.
inline std::string ScenarioText() {
  std::string text = ParamsWith("TicksPerGeneration", "300");
  text = ParamsWith(text, "FungusCount", "500");
  return ParamsWith(text, "MutationRate", "0.02");
}

// Every regular file under dir, by its path relative to dir, with its bytes.
std::map<std::string, std::string> FilesUnder(const std::filesystem::path& dir);

// The pids of the processes whose working directory lies under dir.
std::vector<int> ProcessesUnder(const std::filesystem::path& dir);

// summary.csv as the statistics across the given run.csv texts of each
// variant (in ascending seed order), computed here from the CSVs alone.
std::string ExpectedSummary(const std::vector<std::vector<std::string>>& runCsvsByVariant);

// The CSV vexlora-evolve prints in an empty directory holding these
// parameters (and this weight file, when not empty).
std::string SeparateRun(const std::string& params, const std::string& weights, int seed, int generations);

// Waits until done() holds, at most seconds; false when it never did.
bool WaitUntil(const std::function<bool()>& done, double seconds);
