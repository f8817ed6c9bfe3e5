// Runs the benchmarks, then sets the critter step and the tick against the
// arithmetic floor of a step, and the correctly rounded functions and the
// step against the same with the platform's math.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// The console table, and the time per item of each benchmark kept aside:
// the smallest and the median over repetitions, or the one run.
class FloorReporter : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so a saved table stays plain text.
  FloorReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const auto perItem = run.counters.find("per_item");
      if (perItem == run.counters.end()) continue;
      const double ns = perItem->second.value * 1e9;
      const std::string& name = run.run_name.function_name;
      if (run.run_type == Run::RT_Iteration && run.repetitions <= 1) {
        smallest_[name] = ns;
        median_[name] = ns;
      } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
        smallest_[name] = ns;
      } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        median_[name] = ns;
      }
    }
  }

  void PrintRatios() const {
    std::printf("\n%-20s %14s %14s\n", "ns per item", "smallest", "median");
    for (const auto& [name, ns] : smallest_)
      std::printf("%-20s %14.1f %14.1f\n", name.c_str() + 3, ns, Find(median_, name) ? *Find(median_, name) : ns);
    const double* floor = Find(smallest_, "BM_Floor");
    if (!floor) return;
    std::printf("\n");
    if (const double* step = Find(smallest_, "BM_CritterStep")) std::printf("Step / floor: %.2f\n", *step / *floor);
    if (const double* tick = Find(smallest_, "BM_Tick"))
      std::printf("Tick per critter step / floor: %.2f\n", *tick / *floor);
  }

  // Each correctly rounded function and the critter step against the same
  // with the platform's math (the benchmarks named ...PlatformMath).
  void PrintPlatformRatios() const {
    const std::string suffix = "PlatformMath";
    bool header = false;
    for (const auto& [name, platform] : smallest_) {
      if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        continue;
      const std::string own = name.substr(0, name.size() - suffix.size());
      const double* ours = Find(smallest_, own);
      if (!ours) continue;
      if (!header) {
        std::printf("\n%-20s %14s %14s   (correctly rounded / platform's math)\n", "", "smallest", "median");
        header = true;
      }
      const double* oursMedian = Find(median_, own);
      const double* platformMedian = Find(median_, name);
      std::printf("%-20s %14.2f %14.2f\n", own.c_str() + 3, *ours / platform,
                  oursMedian && platformMedian ? *oursMedian / *platformMedian : *ours / platform);
    }
  }

 private:
  static const double* Find(const std::map<std::string, double>& m, const std::string& name) {
    const auto it = m.find(name);
    return it == m.end() ? nullptr : &it->second;
  }

  std::map<std::string, double> smallest_;
  std::map<std::string, double> median_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  FloorReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  reporter.PrintPlatformRatios();
  benchmark::Shutdown();
  return 0;
}
