#include "sweep/experiment_dir.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <vector>

#include "common/file_io.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> SplitLine(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
  if (!line.empty() && line.back() == ',') cells.emplace_back();
  return cells;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool SameFileBytes(const std::string& a, const std::string& b) {
  std::string x, y, why;
  return ReadWholeFile(a, &x, &why) && ReadWholeFile(b, &y, &why) && x == y;
}

// The directory's own name even when it is written with a trailing slash.
fs::path Normal(const std::string& dir) {
  fs::path p = fs::path(dir).lexically_normal();
  if (!p.has_filename()) p = p.parent_path();
  return p;
}

std::string VariantsCsv(const Plan& plan) {
  std::string text = "variant";
  for (const std::string& name : plan.names) text += "," + name;
  text += "\n";
  for (std::size_t v = 0; v < plan.variantParams.size(); ++v) {
    text += std::to_string(v);
    for (const std::string& value : plan.variantValues[v]) text += "," + value;
    text += "\n";
  }
  return text;
}

std::string TasksCsv(const Plan& plan) {
  std::string text = "task,variant,seed,generations\n";
  for (const Task& t : PlanTasks(plan))
    text += std::to_string(t.index) + "," + std::to_string(t.variant) + "," + std::to_string(t.seed) + "," +
            std::to_string(t.generations) + "\n";
  return text;
}

// A plan's own names in DIR, in the order they are moved in: variants/
// first (of two planners of one DIR the second fails there), variants.csv
// next (it marks what follows as a plan's), tasks.csv last (it makes the
// plan whole).
const char* const kPlanEntries[] = {"variants", "variants.csv", "runs", "AllWeights.bin", "tasks.csv"};
constexpr char kStagingPrefix[] = ".planning-";

bool IsPlanEntry(const std::string& name) {
  return std::find(std::begin(kPlanEntries), std::end(kPlanEntries), name) != std::end(kPlanEntries);
}

// Nothing but planners' staging directories, or a plan cut short while it
// was moved into DIR: variants.csv with its header, other plan entries (runs/
// empty) and no tasks.csv. Anything else, a user's AllWeights.bin alone say,
// is not the sweep's to remove.
bool HoldsOnlyAnUnfinishedPlan(const fs::path& dir) {
  std::error_code ec;
  bool planEntries = false;
  for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    if (name.starts_with(kStagingPrefix)) continue;
    if (name == "tasks.csv" || !IsPlanEntry(name)) return false;
    if (name == "runs" && !fs::is_empty(e.path(), ec)) return false;
    planEntries = true;
  }
  if (ec) return false;
  std::string variants, why;
  return !planEntries || (ReadWholeFile((dir / "variants.csv").string(), &variants, &why) &&
                          variants.starts_with("variant"));
}

// The first line where two params.ini texts differ, as "X there, Y here".
std::string FirstDifferentLine(const std::string& there, const std::string& here) {
  const std::vector<std::string> a = Lines(there), b = Lines(here);
  for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const std::string x = i < a.size() ? a[i] : "nothing", y = i < b.size() ? b[i] : "nothing";
    if (x != y) return x + " there, " + y + " here";
  }
  return "";
}

}  // namespace

std::string VariantParamsPath(const std::string& dir, int variant) {
  return (fs::path(dir) / "variants" / std::to_string(variant) / "params.ini").string();
}

std::string StartWeightsPath(const std::string& dir) { return (fs::path(dir) / "AllWeights.bin").string(); }

std::string RunDir(const std::string& dir, int task) {
  return (fs::path(dir) / "runs" / std::to_string(task)).string();
}

std::string TaskLockPath(const std::string& dir, int task) {
  return (fs::path(dir) / "runs" / (std::to_string(task) + ".lock")).string();
}

DirState InspectDir(const std::string& dir) {
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(dir, ec);
  if (ec || !fs::exists(st)) return DirState::kMissing;
  if (!fs::is_directory(fs::status(dir, ec))) return DirState::kOther;
  if (fs::is_regular_file(fs::path(dir) / "tasks.csv", ec)) return DirState::kPlan;
  if (HoldsOnlyAnUnfinishedPlan(dir)) return DirState::kEmpty;
  return DirState::kOther;
}

bool WritePlan(const std::string& dir, const Plan& plan, std::string* why) {
  const fs::path target = Normal(dir);
  const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::error_code ec;
  // A missing DIR appears whole, by one rename. An existing one (empty, or
  // left with an unfinished plan) keeps its identity, since a shell may stand
  // in it (`run .`): the plan is staged inside it and moved in, tasks.csv last.
  const bool inPlace = fs::is_directory(target, ec);
  const std::string stagingName = kStagingPrefix + std::to_string(getpid());
  const fs::path staging = inPlace ? target / stagingName : parent / ("." + target.filename().string() + stagingName);
  auto fail = [&](const std::string& what) {
    *why = what;
    fs::remove_all(staging, ec);
    return false;
  };
  fs::create_directories(parent, ec);
  fs::remove_all(staging, ec);
  if (!fs::create_directory(staging, ec)) return fail("cannot create " + staging.string() + " (" + ec.message() + ")");
  fs::create_directory(staging / "variants", ec);
  fs::create_directory(staging / "runs", ec);
  std::string reason;
  for (std::size_t v = 0; v < plan.variantParams.size(); ++v) {
    fs::create_directory(staging / "variants" / std::to_string(v), ec);
    if (!WriteFileAtomically(VariantParamsPath(staging.string(), static_cast<int>(v)), plan.variantParams[v], &reason))
      return fail(reason);
  }
  if (!plan.weights.empty() && !CopyFileDurably(plan.weights, StartWeightsPath(staging.string()), &reason))
    return fail(reason);
  // Every name of the plan is on disk before the plan takes its own.
  if (!WriteFileAtomically((staging / "variants.csv").string(), VariantsCsv(plan), &reason) ||
      !WriteFileAtomically((staging / "tasks.csv").string(), TasksCsv(plan), &reason) ||
      !SyncDirectory((staging / "variants").string(), &reason) ||
      !SyncDirectory((staging / "runs").string(), &reason) ||
      !SyncDirectory(staging.string(), &reason))
    return fail(reason);
  if (!inPlace) {
    if (std::rename(staging.c_str(), target.c_str()) != 0)
      return fail("cannot create " + target.string() + " (" + std::strerror(errno) + ")");
    return SyncDirectory(parent.string(), why);
  }
  for (const fs::directory_entry& e : fs::directory_iterator(target, ec))
    if (IsPlanEntry(e.path().filename().string())) fs::remove_all(e.path(), ec);
  for (const char* name : kPlanEntries) {
    if (!fs::exists(staging / name, ec)) continue;
    if (std::rename((staging / name).c_str(), (target / name).c_str()) != 0)
      return fail("cannot plan in " + target.string() + " (" + std::strerror(errno) + ")");
  }
  fs::remove(staging, ec);
  return SyncDirectory(target.string(), why);
}

bool ReadPlan(const std::string& dir, Plan* plan, std::string* why) {
  *plan = Plan{};
  std::string variantsText, tasksText;
  const std::string variantsPath = (fs::path(dir) / "variants.csv").string();
  const std::string tasksPath = (fs::path(dir) / "tasks.csv").string();
  std::string reason;
  if (!ReadWholeFile(variantsPath, &variantsText, &reason) || !ReadWholeFile(tasksPath, &tasksText, &reason)) {
    *why = dir + " holds no sweep plan (variants.csv and tasks.csv)";
    return false;
  }
  const std::vector<std::string> variantLines = Lines(variantsText);
  if (variantLines.size() < 2) {
    *why = variantsPath + " lists no variant";
    return false;
  }
  std::vector<std::string> header = SplitLine(variantLines[0]);
  if (header.empty() || header[0] != "variant") {
    *why = variantsPath + " does not start with the column \"variant\"";
    return false;
  }
  plan->names.assign(header.begin() + 1, header.end());
  for (std::size_t i = 1; i < variantLines.size(); ++i) {
    std::vector<std::string> cells = SplitLine(variantLines[i]);
    if (cells.size() != header.size() || cells[0] != std::to_string(i - 1)) {
      *why = variantsPath + ": line " + std::to_string(i + 1) + " is not variant " + std::to_string(i - 1);
      return false;
    }
    plan->variantValues.emplace_back(cells.begin() + 1, cells.end());
    std::string params;
    if (!ReadWholeFile(VariantParamsPath(dir, static_cast<int>(i - 1)), &params, &reason)) {
      *why = "cannot read " + VariantParamsPath(dir, static_cast<int>(i - 1));
      return false;
    }
    plan->variantParams.push_back(params);
  }
  const std::vector<std::string> taskLines = Lines(tasksText);
  if (taskLines.size() < 2 || taskLines[0] != "task,variant,seed,generations") {
    *why = tasksPath + " lists no task";
    return false;
  }
  std::vector<Task> tasks;
  for (std::size_t i = 1; i < taskLines.size(); ++i) {
    const std::vector<std::string> cells = SplitLine(taskLines[i]);
    Task t;
    try {
      if (cells.size() != 4) throw std::invalid_argument("cells");
      t.index = std::stoi(cells[0]);
      t.variant = std::stoi(cells[1]);
      t.seed = static_cast<std::uint32_t>(std::stoul(cells[2]));
      t.generations = std::stoi(cells[3]);
    } catch (const std::exception&) {
      *why = tasksPath + ": line " + std::to_string(i + 1) + " is not task,variant,seed,generations";
      return false;
    }
    tasks.push_back(t);
    if (t.variant == 0) plan->seeds.push_back(t.seed);
  }
  plan->generations = tasks[0].generations;
  if (tasks != PlanTasks(*plan)) {
    *why = tasksPath + " is not every variant with every seed in order";
    return false;
  }
  if (fs::exists(StartWeightsPath(dir))) plan->weights = StartWeightsPath(dir);
  return true;
}

std::string PlanDifference(const std::string& dir, const Plan& held, const Plan& asked) {
  auto sets = [](const Plan& p) {
    if (p.names.empty()) return std::string("nothing");
    std::string text;
    for (std::size_t k = 0; k < p.names.size(); ++k) {
      std::vector<std::string> values;
      for (const auto& v : p.variantValues)
        if (std::find(values.begin(), values.end(), v[k]) == values.end()) values.push_back(v[k]);
      text += (k ? " " : "") + p.names[k] + "=";
      for (std::size_t i = 0; i < values.size(); ++i) text += (i ? "," : "") + values[i];
    }
    return text;
  };
  if (held.names != asked.names || held.variantValues != asked.variantValues)
    return "--set: " + dir + " sweeps " + sets(held) + ", this run asks for " + sets(asked);
  if (held.seeds != asked.seeds)
    return "--seeds: " + dir + " has " + FormatRanges(held.seeds) + ", this run asks for " +
           FormatRanges(asked.seeds);
  if (held.generations != asked.generations)
    return "--generations: " + dir + " has " + std::to_string(held.generations) + ", this run asks for " +
           std::to_string(asked.generations);
  for (std::size_t v = 0; v < held.variantParams.size(); ++v)
    if (held.variantParams[v] != asked.variantParams[v])
      return "--params: variant " + std::to_string(v) + " of " + dir + " differs (" +
             FirstDifferentLine(held.variantParams[v], asked.variantParams[v]) + ")";
  if (held.weights.empty() != asked.weights.empty())
    return "--weights: " + dir + (held.weights.empty() ? " starts without a weight file, this run asks for "
                                                       : " starts from a weight file, this run asks for none") +
           asked.weights;
  if (!held.weights.empty() && !SameFileBytes(held.weights, asked.weights))
    return "--weights: " + dir + " starts from other weights than " + asked.weights;
  return "";
}

RunState ReadRunState(const std::string& dir, const Task& task, int* exitStatus, RunValues* values) {
  const fs::path run = RunDir(dir, task.index);
  std::string text, reason;
  if (ReadWholeFile((run / "run.csv").string(), &text, &reason)) {
    RunValues read;
    if (!ParseRunCsv(text, task.generations, values ? values : &read)) return RunState::kNotWhole;
    return RunState::kDone;
  }
  if (ReadWholeFile((run / "exit-status").string(), &text, &reason)) {
    *exitStatus = std::atoi(text.c_str());
    return RunState::kFailed;
  }
  return RunState::kMissing;
}
