// Runs the benchmarks, then sets the critter step and the tick against the
// arithmetic floor of a step.
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
  benchmark::Shutdown();
  return 0;
}
