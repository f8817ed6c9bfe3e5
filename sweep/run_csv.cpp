#include "sweep/run_csv.h"

#include <cstdlib>

#include "startup/run_csv.h"

bool ParseRunCsv(const std::string& bytes, int generations, RunValues* run) {
  *run = RunValues{};
  std::size_t at = bytes.find('\n');
  if (at == std::string::npos || bytes.compare(0, at, kRunCsvHeader) != 0) return false;
  ++at;
  for (int g = 0; g < generations; ++g) {
    const std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) return false;
    std::size_t cells[kRunCsvColumns + 1];
    int n = 0;
    cells[n++] = at;
    for (std::size_t i = at; i < end && n <= kRunCsvColumns; ++i)
      if (bytes[i] == ',') cells[n++] = i + 1;
    if (n != kRunCsvColumns) return false;
    cells[kRunCsvColumns] = end + 1;
    const char* row = bytes.c_str();
    if (std::atoi(row + cells[kGenerationColumn]) != g) return false;
    run->bestRolling.push_back(std::strtod(row + cells[kBestRollingColumn], nullptr));
    run->averageRolling.push_back(std::strtod(row + cells[kAverageRollingColumn], nullptr));
    run->composite.push_back(std::strtod(row + cells[kCompositeColumn], nullptr));
    if (run->firstSaveGeneration.empty() && std::atoi(row + cells[kSavesColumn]) > 0)
      run->firstSaveGeneration = bytes.substr(cells[kGenerationColumn], cells[1] - 1 - cells[kGenerationColumn]);
    if (g == generations - 1)
      run->lastFields = bytes.substr(cells[kBestRollingColumn], end - cells[kBestRollingColumn]);
    at = end + 1;
  }
  return at == bytes.size();
}
