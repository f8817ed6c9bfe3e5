#include "tests/sweep/sweep_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <thread>

#include "support/temp_dir.h"
#include "tests/e2e/run_program.h"

namespace fs = std::filesystem;

std::string SeparateRun(const std::string& params, const std::string& weights, int seed, int generations) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), params);
  if (!weights.empty()) WriteFile(dir.File("AllWeights.bin"), weights);
  const ProgramResult r = RunProgram(dir.path().string(), Quote(kEvolveProgram) + " --quiet --seed " +
                                                              std::to_string(seed) + " --generations " +
                                                              std::to_string(generations));
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

bool WaitUntil(const std::function<bool()>& done, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::map<std::string, std::string> FilesUnder(const fs::path& dir) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir, ec))
    if (e.is_regular_file()) files[fs::relative(e.path(), dir).string()] = ReadFile(e.path().string());
  return files;
}

std::vector<int> ProcessesUnder(const fs::path& dir) {
  std::vector<int> pids;
  const std::string root = fs::weakly_canonical(dir).string() + "/";
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator("/proc", ec)) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code gone;
    const std::string cwd = fs::read_symlink(e.path() / "cwd", gone).string() + "/";
    if (!gone && cwd.compare(0, root.size(), root) == 0) pids.push_back(std::stoi(name));
  }
  return pids;
}

namespace {

// Columns best_rolling, average_rolling and composite of every row.
std::vector<std::vector<double>> Columns(const std::string& csv) {
  std::vector<std::vector<double>> rows;
  const std::vector<std::string> lines = Lines(csv);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> cells;
    std::stringstream in(lines[i]);
    for (std::string c; std::getline(in, c, ',');) cells.push_back(c);
    rows.push_back({std::stod(cells.at(6)), std::stod(cells.at(7)), std::stod(cells.at(8))});
  }
  return rows;
}

std::string Real(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

}  // namespace

std::string ExpectedSummary(const std::vector<std::vector<std::string>>& runCsvsByVariant) {
  std::string out =
      "variant,generation,runs,best_rolling_mean,best_rolling_sd,average_rolling_mean,average_rolling_sd,"
      "composite_mean,composite_sd\n";
  for (std::size_t v = 0; v < runCsvsByVariant.size(); ++v) {
    std::vector<std::vector<std::vector<double>>> runs;
    for (const std::string& csv : runCsvsByVariant[v]) runs.push_back(Columns(csv));
    if (runs.empty()) continue;
    const double n = static_cast<double>(runs.size());
    for (std::size_t g = 0; g < runs[0].size(); ++g) {
      out += std::to_string(v) + "," + std::to_string(g) + "," + std::to_string(runs.size());
      for (std::size_t c = 0; c < 3; ++c) {
        double sum = 0.0;
        for (const auto& run : runs) sum += run.at(g).at(c);
        const double mean = sum / n;
        double squares = 0.0;
        for (const auto& run : runs) squares += (run.at(g).at(c) - mean) * (run.at(g).at(c) - mean);
        // One run has no spread: its standard deviation is left empty.
        out += "," + Real(mean) + "," + (runs.size() > 1 ? Real(std::sqrt(squares / (n - 1))) : "");
      }
      out += "\n";
    }
  }
  return out;
}
