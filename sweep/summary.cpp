#include "sweep/summary.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "common/file_io.h"
#include "sweep/experiment_dir.h"
#include "sweep/plot.h"
#include "sweep/student_t.h"
#include "sweep/task.h"

namespace fs = std::filesystem;

namespace {

struct Statistic {
  double mean = 0.0;
  double sd = 0.0;  // the sample's, of two runs or more
};

// Over the runs in the order given (ascending seeds).
Statistic Over(const std::vector<const RunValues*>& runs, std::vector<double> RunValues::*series, int g) {
  Statistic s;
  double sum = 0.0;
  for (const RunValues* r : runs) sum += (r->*series)[static_cast<std::size_t>(g)];
  const double n = static_cast<double>(runs.size());
  s.mean = sum / n;
  if (runs.size() > 1) {
    double squares = 0.0;
    for (const RunValues* r : runs) {
      const double d = (r->*series)[static_cast<std::size_t>(g)] - s.mean;
      squares += d * d;
    }
    s.sd = std::sqrt(squares / (n - 1.0));
  }
  return s;
}

void Append(std::string* text, const char* format, double value) {
  char cell[40];
  std::snprintf(cell, sizeof cell, format, value);
  *text += cell;
}

}  // namespace

bool WriteSummary(const std::string& dir, const Plan& plan, SummaryOutcome* outcome, std::string* why) {
  *outcome = SummaryOutcome{};
  const std::vector<Task> tasks = PlanTasks(plan);
  std::vector<RunValues> runs(tasks.size());
  std::vector<bool> finished(tasks.size(), false);
  std::string runsCsv =
      "task,variant,seed,status,generations,best_rolling,average_rolling,composite,best_composite,wins,saves,"
      "first_save_generation\n";
  for (std::size_t i = 0; i < tasks.size(); ++i) {
    const Task& t = tasks[i];
    int exitStatus = 0;
    const RunState state = ReadRunState(dir, t, &exitStatus, &runs[i]);
    std::string status = "done";
    if (state == RunState::kNotWhole) {
      status = "missing";
      ++outcome->missing;
      outcome->leftOut.push_back(TaskName(plan, t) + ": its run.csv is not whole; left out of the summary");
    } else if (state == RunState::kDone) {
      finished[i] = true;
      ++outcome->done;
    } else if (state == RunState::kFailed) {
      status = "failed:" + std::to_string(exitStatus);
      ++outcome->failed;
      outcome->leftOut.push_back(TaskName(plan, t) + " failed with status " + std::to_string(exitStatus) +
                                 "; left out of the summary");
    } else {
      status = "missing";
      ++outcome->missing;
      outcome->leftOut.push_back(TaskName(plan, t) + " has not finished; left out of the summary");
    }
    runsCsv += std::to_string(t.index) + "," + std::to_string(t.variant) + "," + std::to_string(t.seed) + "," +
               status + "," + std::to_string(t.generations) + ",";
    // Seven empty cells for a run without a last row.
    runsCsv += finished[i] && t.generations > 0 ? runs[i].lastFields + "," + runs[i].firstSaveGeneration : ",,,,,,";
    runsCsv += "\n";
  }

  std::string summaryCsv =
      "variant,generation,runs,best_rolling_mean,best_rolling_sd,average_rolling_mean,average_rolling_sd,"
      "composite_mean,composite_sd\n";
  PlotRequest request;
  request.generations = plan.generations;
  request.runsPerVariant = static_cast<int>(plan.seeds.size());
  for (std::size_t v = 0; v < plan.variantParams.size(); ++v) {
    std::vector<const RunValues*> of;  // tasks come in ascending seeds within a variant
    for (std::size_t i = 0; i < tasks.size(); ++i)
      if (finished[i] && tasks[i].variant == static_cast<int>(v)) of.push_back(&runs[i]);
    if (of.empty()) continue;
    PlotSeries series;
    series.label = VariantLabel(plan, static_cast<int>(v));
    series.runs = static_cast<int>(of.size());
    // The band is the 95 % confidence interval of the mean, mean +- t*sd/sqrt(n)
    // with Student's t of n - 1 degrees of freedom; one run has no spread and
    // no band (its standard deviation is written empty).
    const bool spread = of.size() > 1;
    const double halfWidthPerSd =
        spread ? StudentT975(static_cast<int>(of.size()) - 1) / std::sqrt(static_cast<double>(of.size())) : 0.0;
    for (int g = 0; g < plan.generations; ++g) {
      const Statistic best = Over(of, &RunValues::bestRolling, g);
      const Statistic average = Over(of, &RunValues::averageRolling, g);
      const Statistic composite = Over(of, &RunValues::composite, g);
      summaryCsv += std::to_string(v) + "," + std::to_string(g) + "," + std::to_string(of.size());
      for (const Statistic* s : {&best, &average, &composite}) {
        Append(&summaryCsv, ",%.17g", s->mean);
        if (spread)
          Append(&summaryCsv, ",%.17g", s->sd);
        else
          summaryCsv += ",";
      }
      summaryCsv += "\n";
      series.generations.push_back(g);
      series.averageMean.push_back(average.mean);
      series.averageHalfWidth.push_back(halfWidthPerSd * average.sd);
      series.bestMean.push_back(best.mean);
      series.bestHalfWidth.push_back(halfWidthPerSd * best.sd);
    }
    request.series.push_back(std::move(series));
  }

  const fs::path d(dir);
  if (!WriteFileAtomically((d / "runs.csv").string(), runsCsv, why) ||
      !WriteFileAtomically((d / "summary.csv").string(), summaryCsv, why))
    return false;
  return WriteSummaryPlots(request, (d / "summary.png").string(), (d / "summary.svg").string(), why);
}
