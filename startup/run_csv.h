#pragma once

// The CSV vexlora-evolve prints, one row per generation after this header;
// the sweep reads its runs' CSVs back by the same columns.
inline constexpr char kRunCsvHeader[] =
    "generation,best_fitness,worst_fitness,average_fitness,best_index,worst_index,best_rolling,average_rolling,"
    "composite,best_composite,wins,saves";

enum RunCsvColumn : int {
  kGenerationColumn,
  kBestFitnessColumn,
  kWorstFitnessColumn,
  kAverageFitnessColumn,
  kBestIndexColumn,
  kWorstIndexColumn,
  kBestRollingColumn,
  kAverageRollingColumn,
  kCompositeColumn,
  kBestCompositeColumn,
  kWinsColumn,
  kSavesColumn,
  kRunCsvColumns
};
