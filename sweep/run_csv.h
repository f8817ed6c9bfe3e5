#pragma once

#include <string>
#include <vector>

// A run's run.csv read back: what the statistics follow, one value per
// generation, and what runs.csv keeps of it.
struct RunValues {
  std::vector<double> bestRolling, averageRolling, composite;
  std::string lastFields;           // best_rolling ... saves of the last row, as written
  std::string firstSaveGeneration;  // empty when it never saved
};

// The one test of a whole run.csv, for the runners and the summary alike:
// vexlora-evolve's header, then one row of its columns for each generation
// from 0 to generations - 1 in order, each ended by a newline, and nothing
// after. False for anything else.
bool ParseRunCsv(const std::string& bytes, int generations, RunValues* run);
