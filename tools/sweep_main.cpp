// vexlora-sweep: an experiment of many vexlora-evolve runs over seeds and
// settings, on every core or as a Slurm job array, and the statistics
// across the runs.
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sweep/child.h"
#include "sweep/experiment_dir.h"
#include "sweep/plan.h"
#include "sweep/scheduler.h"
#include "sweep/slurm.h"
#include "sweep/summary.h"
#include "sweep/task.h"
#include "tools/command_line.h"
#include "tools/number_option.h"

namespace {

constexpr int kTrouble = 1;
constexpr int kBadUsage = 2;
constexpr int kRunsLeftOut = 3;

int Say(int status, const std::string& line) {
  std::fprintf(stderr, "vexlora-sweep: %s\n", line.c_str());
  return status;
}

int Cores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
  const long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<int>(n) : 1;
}

std::string Self() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("vexlora-sweep") : self.string();
}

struct PlanFlags {
  PlanOptions options;
  std::vector<CLI::Option*> given;  // any of them used means the plan is asked for
  bool Given() const {
    for (const CLI::Option* o : given)
      if (o->count() > 0) return true;
    return false;
  }
};

void AddPlanOptions(CLI::App* command, PlanFlags* flags) {
  PlanOptions& o = flags->options;
  flags->given = {
      command->add_option("--seeds", o.seeds, "seeds of the runs: 1-20, 3,7,11 or 1-4,10"),
      command->add_option("--set", o.sets, "NAME=V1,V2,...: a parameter and its values; several make a grid")
          ->type_name("NAME=VALUES")
          ->allow_extra_args(false),
      command->add_option("--params", o.params, "the base parameter file (default params.ini)"),
      command->add_option("--generations", o.generations, "generations of every run (default 100)")
          ->check(WholeNumber(0, INT32_MAX)),
      command->add_option("--weights", o.weights, "a weight file every run starts from"),
  };
}

// The plan DIR holds, or the one the options ask for, written into DIR when
// it is new. A refusal's exit status, or 0.
int ObtainPlan(const std::string& dir, const PlanFlags& flags, Plan* plan) {
  std::string why;
  const DirState state = InspectDir(dir);
  if (state == DirState::kOther) return Say(kBadUsage, dir + " is not an empty directory and holds no sweep plan");
  if (state == DirState::kPlan) {
    if (!ReadPlan(dir, plan, &why)) return Say(kBadUsage, why);
    if (!flags.Given()) return 0;
    Plan asked;
    if (!MakePlan(flags.options, &asked, &why)) return Say(kBadUsage, why);
    if (const std::string difference = PlanDifference(dir, *plan, asked); !difference.empty())
      return Say(kBadUsage, dir + " holds another experiment: " + difference);
    return 0;
  }
  if (flags.options.seeds.empty() && !flags.Given())
    return Say(kBadUsage, dir + " holds no sweep plan yet: give --seeds (and --set) to plan one");
  if (!MakePlan(flags.options, plan, &why)) return Say(kBadUsage, why);
  if (!WritePlan(dir, *plan, &why)) return Say(kTrouble, why);
  if (!plan->weights.empty()) plan->weights = StartWeightsPath(dir);
  return 0;
}

int Summarise(const std::string& dir, const Plan& plan) {
  SummaryOutcome outcome;
  std::string why;
  if (!WriteSummary(dir, plan, &outcome, &why)) return Say(kTrouble, why);
  for (const std::string& line : outcome.leftOut) Say(0, line);
  return outcome.failed + outcome.missing > 0 ? kRunsLeftOut : 0;
}

std::vector<Task> Unfinished(const std::string& dir, const Plan& plan) {
  std::vector<Task> left;
  for (const Task& t : PlanTasks(plan)) {
    int ignored = 0;
    if (ReadRunState(dir, t, &ignored) != RunState::kDone) left.push_back(t);
  }
  return left;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Runs an experiment of many vexlora-evolve runs over seeds and settings, on every core or as a "
               "Slurm job array, and writes the statistics across the runs.",
               "vexlora-sweep"};
  app.set_version_flag("--version", "vexlora-sweep " VEXLORA_VERSION, "print the version and exit");
  app.require_subcommand(1, 1);

  std::string dir;
  PlanFlags runFlags, planFlags;
  int jobs = Cores();
  bool quiet = false;
  CLI::App* run = app.add_subcommand("run", "plan the experiment in DIR when it is new, run every unfinished run, "
                                            "then write the summary");
  run->add_option("DIR", dir, "the experiment's directory")->required();
  AddPlanOptions(run, &runFlags);
  run->add_option("--jobs", jobs, "runs at once (default: the number of cores, here " + std::to_string(jobs) + ")")
      ->check(WholeNumber(1, 4096));
  run->add_flag("--quiet", quiet, "no progress line on the terminal");

  CLI::App* plan = app.add_subcommand("plan", "only plan the experiment: create DIR");
  plan->add_option("DIR", dir, "the experiment's directory")->required();
  AddPlanOptions(plan, &planFlags);

  std::string indexText;
  CLI::App* task = app.add_subcommand("task", "run one task of DIR's plan, exactly as run would");
  task->add_option("DIR", dir, "the experiment's directory")->required();
  task->add_option("INDEX", indexText, "the task's number in DIR/tasks.csv")->required()->check(
      WholeNumber(0, kMaxRuns - 1));

  CLI::App* summarise = app.add_subcommand("summarise", "write runs.csv, summary.csv, summary.png and summary.svg");
  summarise->add_option("DIR", dir, "the experiment's directory")->required();

  bool submit = false;
  std::vector<std::string> sbatchOptions;
  CLI::App* slurm = app.add_subcommand("slurm", "write DIR/sweep.sbatch, a Slurm array job over the unfinished runs");
  slurm->add_option("DIR", dir, "the experiment's directory")->required();
  slurm->add_flag("--submit", submit, "submit it and the summary job after it; print the two job ids");
  slurm->add_option("SBATCH_OPTIONS", sbatchOptions, "after --: options for sbatch, e.g. -- --partition=long");

  auto badUsage = [](const std::string& line) { return Say(kBadUsage, line); };
  if (const auto done = ParseCommandLine(app, argc, argv, badUsage)) return *done;

  Plan held;
  if (*run || *plan) {
    std::string evolve;
    if (*run && (evolve = FindEvolve()).empty())
      return Say(kTrouble, "cannot find vexlora-evolve beside vexlora-sweep or on PATH");
    if (const int refused = ObtainPlan(dir, *run ? runFlags : planFlags, &held)) return refused;
    if (*plan) return 0;

    const std::vector<Task> left = Unfinished(dir, held);
    SchedulerOptions options;
    options.jobs = jobs;
    options.progress = !quiet && isatty(STDERR_FILENO);
    options.evolve = evolve;
    const SchedulerResult result =
        RunTasks(dir, held, left, static_cast<int>(PlanTasks(held).size() - left.size()), options);
    if (result.stopSignal) {
      Say(0, "stopped; `vexlora-sweep run " + dir + "` finishes what is left");
      signal(result.stopSignal, SIG_DFL);
      raise(result.stopSignal);
      return kTrouble;
    }
    return Summarise(dir, held);
  }

  if (InspectDir(dir) != DirState::kPlan) return Say(kBadUsage, dir + " holds no sweep plan (tasks.csv)");
  if (std::string why; !ReadPlan(dir, &held, &why)) return Say(kBadUsage, why);

  if (*task) {
    const std::vector<Task> tasks = PlanTasks(held);
    const long index = std::stol(indexText);
    if (index >= static_cast<long>(tasks.size()))
      return Say(kBadUsage, "INDEX: " + dir + " has tasks 0 to " + std::to_string(tasks.size() - 1));
    const std::string evolve = FindEvolve();
    if (evolve.empty()) return Say(kTrouble, "cannot find vexlora-evolve beside vexlora-sweep or on PATH");
    return RunOneTask(dir, held, tasks[static_cast<std::size_t>(index)], evolve);
  }
  if (*summarise) return Summarise(dir, held);

  std::vector<int> left;
  for (const Task& t : Unfinished(dir, held)) left.push_back(t.index);
  if (left.empty()) return Say(0, "every run of " + dir + " has finished: `vexlora-sweep summarise " + dir + "`");
  std::string why;
  const std::string self = Self();
  if (!WriteSbatch(dir, self, left, &why)) return Say(kTrouble, why);
  if (!submit) return 0;
  std::string arrayJob, summaryJob;
  if (!SubmitSbatch(dir, self, sbatchOptions, &arrayJob, &summaryJob, &why)) return Say(kTrouble, why);
  std::printf("%s\n%s\n", arrayJob.c_str(), summaryJob.c_str());
  return 0;
}
