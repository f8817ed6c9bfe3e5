// vexlora-sweep run as a real process: its runs are vexlora-evolve's runs,
// its summary the statistics of their CSVs, and what it refuses leaves
// nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "params/params.h"
#include "support/temp_dir.h"
#include "tests/e2e/run_program.h"
#include "tests/sweep/sweep_support.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kRates = {"0.02", "0.2"};
const std::vector<int> kSeeds = {1, 2, 3};
constexpr int kGenerations = 6;

std::string Sweep(const std::string& args) { return Quote(kSweep) + " " + args; }

TEST(Sweep, GridRunsAreEvolveRunsAndTheSummaryTheirStatistics) {
  TempDir work;
  WriteFile(work.File("base.ini"), ScenarioText());
  const std::string plan = "--seeds 1-3 --set MutationRate=0.02,0.2 --params base.ini --generations " +
                           std::to_string(kGenerations);
  const ProgramResult one = RunProgram(work.path().string(), Sweep("run one " + plan + " --jobs 1"));
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(one.err, "") << "nothing but the progress line, and that only on a terminal";
  const ProgramResult two = RunProgram(work.path().string(), Sweep("run two " + plan + " --jobs 2"));
  ASSERT_EQ(two.status, 0) << two.err;

  const fs::path dir = work.path() / "one";
  EXPECT_EQ(ReadFile((dir / "variants.csv").string()), "variant,MutationRate\n0,0.02\n1,0.2\n");
  EXPECT_EQ(ReadFile((dir / "tasks.csv").string()),
            "task,variant,seed,generations\n0,0,1,6\n1,0,2,6\n2,0,3,6\n3,1,1,6\n4,1,2,6\n5,1,3,6\n");

  std::vector<std::vector<std::string>> csvs(kRates.size());
  std::string runsCsv = "";
  for (std::size_t v = 0; v < kRates.size(); ++v) {
    const std::string params = ParamsWith(ScenarioText(), "MutationRate", kRates[v]);
    // Every value as it was written, the swept one as given.
    EXPECT_EQ(ReadFile((dir / "variants" / std::to_string(v) / "params.ini").string()), params);
    for (std::size_t s = 0; s < kSeeds.size(); ++s) {
      const int task = static_cast<int>(v * kSeeds.size() + s);
      const std::string csv = ReadFile((dir / "runs" / std::to_string(task) / "run.csv").string());
      EXPECT_EQ(csv, SeparateRun(params, "", kSeeds[s], kGenerations)) << "task " << task;
      EXPECT_FALSE(fs::exists(dir / "runs" / std::to_string(task) / "run.csv.part"));
      csvs[v].push_back(csv);
    }
  }
  EXPECT_NE(csvs[0][0], csvs[0][1]) << "the scenario no longer differs between seeds";
  EXPECT_NE(csvs[0][0], csvs[1][0]) << "the scenario no longer differs between mutation rates";
  EXPECT_EQ(ReadFile((dir / "summary.csv").string()), ExpectedSummary(csvs));

  // runs.csv: each task's last row and the generation of its first save.
  const std::vector<std::string> rows = Lines(ReadFile((dir / "runs.csv").string()));
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0],
            "task,variant,seed,status,generations,best_rolling,average_rolling,composite,best_composite,wins,saves,"
            "first_save_generation");
  for (int task = 0; task < 6; ++task) {
    const std::vector<std::string> lines = Lines(csvs[static_cast<std::size_t>(task / 3)][task % 3]);
    std::string firstSave;
    for (std::size_t i = 1; i < lines.size() && firstSave.empty(); ++i)
      if (lines[i].substr(lines[i].rfind(',') + 1) != "0") firstSave = lines[i].substr(0, lines[i].find(','));
    std::string last = lines.back();
    for (int cut = 0; cut < 6; ++cut) last = last.substr(last.find(',') + 1);
    EXPECT_EQ(rows[static_cast<std::size_t>(task) + 1],
              std::to_string(task) + "," + std::to_string(task / 3) + "," + std::to_string(task % 3 + 1) +
                  ",done,6," + last + "," + firstSave);
  }

  // One job or two: the same files, byte for byte.
  std::map<std::string, std::string> a = FilesUnder(work.path() / "one"), b = FilesUnder(work.path() / "two");
  for (auto* files : {&a, &b})
    for (auto it = files->begin(); it != files->end();)
      it = it->first.ends_with("Dbg.Log") ? files->erase(it) : std::next(it);
  EXPECT_EQ(a.size(), b.size());
  for (const auto& [name, bytes] : a) EXPECT_TRUE(b.count(name) && b[name] == bytes) << name << " differs";
  EXPECT_TRUE(a.count("summary.csv") && a.count("runs/5/run.csv"));
}

TEST(Sweep, AFailedVariantIsReportedAndTheOthersSummarised) {
  TempDir work;
  WriteFile(work.File("base.ini"), ScenarioText());
  // Two inputs where the critters give one: every tick of those runs fails.
  const ProgramResult r = RunProgram(work.path().string(),
                                     Sweep("run exp --seeds 1-2 --set InputCount=1,2 --params base.ini "
                                           "--generations 3 --jobs 2"));
  EXPECT_EQ(r.status, 3) << r.err;
  for (const std::string task : {"2 (InputCount=2, seed 1)", "3 (InputCount=2, seed 2)"}) {
    EXPECT_NE(r.err.find("task " + task + " failed with status 1: Error: Wrong amount of NN inputs!"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("task " + task + " failed with status 1; left out of the summary"), std::string::npos)
        << r.err;
  }
  const fs::path dir = work.path() / "exp";
  const std::vector<std::string> rows = Lines(ReadFile((dir / "runs.csv").string()));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_TRUE(rows[1].starts_with("0,0,1,done,3,")) << rows[1];
  EXPECT_TRUE(rows[2].starts_with("1,0,2,done,3,")) << rows[2];
  EXPECT_EQ(rows[3], "2,1,1,failed:1,3,,,,,,,");
  EXPECT_EQ(rows[4], "3,1,2,failed:1,3,,,,,,,");
  const std::string good = ParamsWith(ScenarioText(), "InputCount", "1");
  EXPECT_EQ(ReadFile((dir / "summary.csv").string()),
            ExpectedSummary({{SeparateRun(good, "", 1, 3), SeparateRun(good, "", 2, 3)}}));

  // The summary alone says the same.
  const ProgramResult again = RunProgram(work.path().string(), Sweep("summarise exp"));
  EXPECT_EQ(again.status, 3);
  EXPECT_EQ(Lines(again.err).size(), 2u) << again.err;

  // A Slurm array over what is left: the two failed runs, to be tried again.
  ASSERT_EQ(RunProgram(work.path().string(), Sweep("slurm exp")).status, 0);
  const std::string script = ReadFile((dir / "sweep.sbatch").string());
  EXPECT_NE(script.find("\n#SBATCH --array=2-3\n"), std::string::npos) << script;
  EXPECT_NE(script.find("' task '" + dir.lexically_normal().string() + "' \"$SLURM_ARRAY_TASK_ID\"\n"), std::string::npos)
      << script;
}

// An evolved population carried on: every run starts from the weight file,
// exactly as vexlora-evolve does in a directory holding it.
TEST(Sweep, EveryRunStartsFromTheGivenWeights) {
  TempDir work, evolved;
  WriteFile(work.File("base.ini"), ScenarioText());
  WriteFile(evolved.File("params.ini"), ScenarioText());
  ASSERT_EQ(RunProgram(evolved.path().string(), Quote(kEvolveProgram) + " --quiet --seed 9 --generations 8").status, 0);
  const std::string weights = ReadFile(evolved.File("AllWeights.bin"));
  ASSERT_FALSE(weights.empty());
  WriteFile(work.File("start.bin"), weights);

  const std::string plan = "--seeds 4,6 --params base.ini --generations 3 --weights start.bin";
  const ProgramResult r = RunProgram(work.path().string(), Sweep("run exp " + plan));
  ASSERT_EQ(r.status, 0) << r.err;
  for (const auto& [task, seed] : std::vector<std::pair<int, int>>{{0, 4}, {1, 6}}) {
    const std::string csv = ReadFile(work.File("exp/runs/" + std::to_string(task) + "/run.csv"));
    EXPECT_EQ(csv, SeparateRun(ScenarioText(), weights, seed, 3)) << "task " << task;
    EXPECT_NE(csv, SeparateRun(ScenarioText(), "", seed, 3)) << "the weights made no difference";
  }
  // The same plan again continues it; other weights are another experiment.
  EXPECT_EQ(RunProgram(work.path().string(), Sweep("run exp " + plan)).status, 0);
  WriteFile(work.File("start.bin"), weights.substr(0, weights.size() - 8) + std::string(8, '\0'));
  const ProgramResult other = RunProgram(work.path().string(), Sweep("run exp " + plan));
  EXPECT_EQ(other.status, 2);
  EXPECT_EQ(other.err, "vexlora-sweep: exp holds another experiment: --weights: exp starts from other weights than "
                       "start.bin\n");
}

// The progress line is for a terminal (here script(1)'s), and --quiet hides it.
TEST(Sweep, ProgressShowsOnATerminalOnly) {
  TempDir work;
  WriteFile(work.File("base.ini"), ScenarioText());
  auto onTerminal = [&](const std::string& args) {
    return RunProgram(work.path().string(), "script -qec " + Quote(Sweep(args)) + " /dev/null");
  };
  const ProgramResult shown = onTerminal("run shown --seeds 1-2 --params base.ini --generations 3 --jobs 2");
  ASSERT_EQ(shown.status, 0) << shown.out << shown.err;
  EXPECT_NE(shown.out.find("\r[##############################] 2/2 runs, "), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find(" gen/s"), std::string::npos) << shown.out;
  const ProgramResult quiet = onTerminal("run quiet --seeds 1-2 --params base.ini --generations 3 --quiet");
  ASSERT_EQ(quiet.status, 0) << quiet.out << quiet.err;
  EXPECT_EQ(quiet.out, "");

  // vexlora-evolve's bar is the same line, in generations.
  const ProgramResult evolve = RunProgram(
      work.path().string(), "script -qec " + Quote(Quote(kEvolveProgram) +
                                                   " --params base.ini --seed 1 --generations 3 --csv run.csv") +
                                " /dev/null");
  ASSERT_EQ(evolve.status, 0) << evolve.out << evolve.err;
  EXPECT_NE(evolve.out.find("\r[##############################] 3/3 generations, "), std::string::npos) << evolve.out;
}

// One seed a variant: no spread, so the standard deviations are empty.
TEST(Sweep, OneRunAVariantHasNoSpread) {
  TempDir work;
  WriteFile(work.File("base.ini"), ScenarioText());
  const ProgramResult r = RunProgram(work.path().string(),
                                     Sweep("run exp --seeds 7 --set MutationRate=0.02,0.2 --params base.ini "
                                           "--generations 3"));
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::vector<std::string>> csvs;
  for (const char* rate : {"0.02", "0.2"})
    csvs.push_back({SeparateRun(ParamsWith(ScenarioText(), "MutationRate", rate), "", 7, 3)});
  const std::string summary = ReadFile(work.File("exp/summary.csv"));
  EXPECT_EQ(summary, ExpectedSummary(csvs));
  EXPECT_EQ(Lines(summary).at(1).substr(Lines(summary).at(1).size() - 1), ",") << summary;
}

// `run .` in an empty directory plans there: the directory stays the one the
// shell stands in. With its standard descriptors closed the sweep and its
// runs still write the same files.
TEST(Sweep, PlansInTheCurrentEmptyDirectory) {
  TempDir work;
  WriteFile(work.File("base.ini"), ScenarioText());
  fs::create_directory(work.path() / "here");
  struct stat before {};
  ASSERT_EQ(stat((work.path() / "here").c_str(), &before), 0);
  const ProgramResult r = RunProgram((work.path() / "here").string(),
                                     Sweep("run . --seeds 1-2 --params ../base.ini --generations 3"));
  ASSERT_EQ(r.status, 0) << r.err;
  struct stat after {};
  ASSERT_EQ(stat((work.path() / "here").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "the directory was replaced";
  for (const char* file : {"tasks.csv", "variants.csv", "variants/0/params.ini", "runs/1/run.csv", "summary.csv"})
    EXPECT_TRUE(fs::exists(work.path() / "here" / file)) << file;
  for (const fs::directory_entry& e : fs::directory_iterator(work.path() / "here"))
    EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path();
  for (const fs::directory_entry& e : fs::directory_iterator(work.path()))
    EXPECT_FALSE(e.path().filename().string().starts_with(".")) << e.path();
  EXPECT_EQ(ReadFile(work.File("here/runs/1/run.csv")), SeparateRun(ScenarioText(), "", 2, 3));
  // A directory holding anything else (a weight file alone) is not planned in, and keeps it.
  fs::create_directory(work.path() / "kept");
  WriteFile(work.File("kept/AllWeights.bin"), "weights");
  EXPECT_EQ(RunProgram(work.path().string(), Sweep("plan kept --seeds 1 --params base.ini")).status, 2);
  EXPECT_EQ(ReadFile(work.File("kept/AllWeights.bin")), "weights");

  const ProgramResult closed = RunProgram(
      work.path().string(), Sweep("run shut --seeds 1-2 --params base.ini --generations 3 <&- >&- 2>&-"));
  EXPECT_EQ(closed.status, 0);
  EXPECT_EQ(ReadFile(work.File("shut/runs/1/run.csv")), SeparateRun(ScenarioText(), "", 2, 3));
  EXPECT_EQ(ReadFile(work.File("shut/summary.csv")), ReadFile(work.File("here/summary.csv")));
}

// Every file the sweep writes under a temporary name reaches the disk before
// its rename, and the rename reaches it before the sweep goes on: strace
// shows an fsync of the file before each rename and of its directory after.
TEST(Sweep, EveryRenameIsSyncedBeforeAndAfter) {
  if (std::system("command -v strace > /dev/null") != 0) {
    if (const char* ci = std::getenv("CI"); ci && std::string(ci) == "true") FAIL() << "strace is not installed";
    GTEST_SKIP() << "strace is not installed (scripts/install-deps.sh installs it)";
  }
  TempDir work;
  WriteFile(work.File("base.ini"), ScenarioText());
  const std::string dir = (work.path() / "exp").string();
  // The leak checker of a sanitizer build does not run under a tracer.
  const std::string traced = "env ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace -qq -y -o " +
                             Quote(work.File("trace")) + " -e trace=fsync,fdatasync,rename,renameat,renameat2 ";
  // A failing variant writes exit-status too; `slurm` writes sweep.sbatch.
  const ProgramResult r = RunProgram(work.path().string(),
                                     traced + Sweep("run " + Quote(dir) + " --seeds 1-2 --set InputCount=1,2 "
                                                    "--params base.ini --generations 2 --jobs 1"));
  ASSERT_EQ(r.status, 3) << r.err;
  const std::string runTrace = ReadFile(work.File("trace"));
  ASSERT_EQ(RunProgram(work.path().string(), traced + Sweep("slurm " + Quote(dir))).status, 0);
  const std::vector<std::string> lines = Lines(runTrace + ReadFile(work.File("trace")));

  // fsync(3</path>) = 0 and rename("from", "to") = 0, in order.
  auto synced = [](const std::string& line) -> std::string {
    const std::size_t open = line.find('<'), close = line.rfind(">)");
    if (!line.starts_with("fsync(") || open == std::string::npos || close == std::string::npos ||
        !line.ends_with(" = 0"))
      return "";
    return line.substr(open + 1, close - open - 1);
  };
  std::set<std::string> renamedNames;
  std::vector<std::size_t> renames;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].starts_with("rename") && lines[i].ends_with(" = 0")) renames.push_back(i);
  for (std::size_t k = 0; k < renames.size(); ++k) {
    const std::string& line = lines[renames[k]];
    std::vector<std::string> quoted;
    for (std::size_t at = line.find('"'); at != std::string::npos; at = line.find('"', line.find('"', at + 1) + 1))
      quoted.push_back(line.substr(at + 1, line.find('"', at + 1) - at - 1));
    ASSERT_EQ(quoted.size(), 2u) << line;
    const std::string from = fs::weakly_canonical(quoted[0]).string();
    const std::string to = fs::weakly_canonical(quoted[1]).string();
    renamedNames.insert(fs::path(to).filename().string());
    const std::size_t previous = k == 0 ? 0 : renames[k - 1];
    const std::size_t next = k + 1 < renames.size() ? renames[k + 1] : lines.size();
    bool fileSynced = false, directorySynced = false;
    for (std::size_t i = previous; i < renames[k]; ++i) fileSynced = fileSynced || synced(lines[i]) == from;
    for (std::size_t i = renames[k] + 1; i < next; ++i)
      directorySynced = directorySynced || synced(lines[i]) == fs::path(to).parent_path().string();
    EXPECT_TRUE(fileSynced) << "not synced before its rename: " << line;
    EXPECT_TRUE(directorySynced) << "directory not synced after: " << line;
  }
  for (const char* name : {"exp", "run.csv", "exit-status", "runs.csv", "summary.csv", "summary.png", "summary.svg",
                           "sweep.sbatch"})
    EXPECT_TRUE(renamedNames.count(name)) << name << " was not written under a temporary name";
}

struct Refusal {
  std::string args;
  std::string line;
};

TEST(Sweep, BadInputIsRefusedInOneLineBeforeAnythingIsMade) {
  TempDir work;
  WriteFile(work.File("params.ini"), ScenarioText());
  const std::vector<Refusal> refusals = {
      {"run exp --seeds 1-3 --set Mutationrate=0.1", "--set: \"Mutationrate\" is no parameter name"},
      {"run exp --seeds 1-3 --set CritterCount=30,50",
       "Parameter CritterCount is 50 in variant 1 (CritterCount=50); it must be from 2 to 41."},
      {"run exp --seeds 1-3 --set CritterCount=2.5", "--set CritterCount: \"2.5\" is not a whole number"},
      {"run exp --seeds 1-3 --set MutationRate=0.1,fast", "--set MutationRate: \"fast\" is not a number"},
      {"run exp --seeds ''", "--seeds: the seed list is empty"},
      {"run exp --seeds 5-1", "--seeds: the range 5-1 runs backwards"},
      {"run exp", "exp holds no sweep plan yet: give --seeds (and --set) to plan one"},
      {"plan exp --seeds 1-20000 --set EliteCount=1,2,3,4,5,6", "more than 100,000 runs (variants times seeds)"},
      {"run exp --seeds 1 --generations x", "--generations: \"x\" is not a whole number of 0 or more"},
      {"run exp --seeds 1 --jobs 0", "--jobs: \"0\" is not a whole number from 1 to 4096"},
      {"run exp --seeds 1 --params none.ini", "--params: cannot read none.ini (No such file or directory)"},
      {"run exp --seeds 1 --weights none.bin", "--weights: cannot read none.bin (No such file or directory)"},
      // Values are told apart as the parameter reads them.
      {"run exp --seeds 1 --set MutationRate=0.1,0.10", "--set MutationRate: 0.10 is 0.1 again"},
      {"run exp --seeds 1 --set EliteCount=+2,2", "--set EliteCount: 2 is +2 again"},
      {"plan exp --seeds 1-60000,40001-100001", "--seeds: more than 100,000 seeds"},
  };
  const std::map<std::string, std::string> before = FilesUnder(work.path());
  for (const Refusal& refusal : refusals) {
    const ProgramResult r = RunProgram(work.path().string(), Sweep(refusal.args));
    EXPECT_EQ(r.status, 2) << refusal.args;
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
    EXPECT_NE(r.err.find(refusal.line), std::string::npos) << refusal.args << ": " << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(FilesUnder(work.path()) == before && !fs::exists(work.path() / "exp")) << refusal.args;
  }

  // A seed given twice counts once.
  const ProgramResult twice = RunProgram(work.path().string(), Sweep("plan big --seeds 1-60000,1-60000"));
  EXPECT_EQ(twice.status, 0) << twice.err;
  EXPECT_EQ(Lines(ReadFile(work.File("big/tasks.csv"))).size(), 60001u);
  fs::remove_all(work.path() / "big");

  // A planned experiment is continued but never mixed with another.
  ASSERT_EQ(RunProgram(work.path().string(), Sweep("plan exp --seeds 1-3 --set MutationRate=0.05,0.2")).status, 0);
  const std::map<std::string, std::string> planned = FilesUnder(work.path() / "exp");
  WriteFile(work.File("other.ini"), ParamsWith(ScenarioText(), "FungusCount", "400"));
  const std::vector<Refusal> others = {
      {"--seeds 1-4 --set MutationRate=0.05,0.2", "--seeds: exp has 1-3, this run asks for 1-4"},
      {"--seeds 1-3 --set MutationRate=0.05,0.3",
       "--set: exp sweeps MutationRate=0.05,0.2, this run asks for MutationRate=0.05,0.3"},
      {"--seeds 1-3", "--set: exp sweeps MutationRate=0.05,0.2, this run asks for nothing"},
      {"--seeds 1-3 --set MutationRate=0.05,0.2 --generations 50", "--generations: exp has 100, this run asks for 50"},
      {"--seeds 1-3 --set MutationRate=0.05,0.2 --params other.ini",
       "--params: variant 0 of exp differs (FungusCount 500 there, FungusCount 400 here)"},
      {"--seeds 1-3 --set MutationRate=0.05,0.2 --weights other.ini",
       "--weights: exp starts without a weight file, this run asks for other.ini"},
  };
  for (const Refusal& refusal : others) {
    const ProgramResult r = RunProgram(work.path().string(), Sweep("run exp " + refusal.args));
    EXPECT_EQ(r.status, 2) << refusal.args;
    EXPECT_EQ(r.err, "vexlora-sweep: exp holds another experiment: " + refusal.line + "\n");
    EXPECT_TRUE(FilesUnder(work.path() / "exp") == planned) << refusal.args;
  }
  const ProgramResult index = RunProgram(work.path().string(), Sweep("task exp 6"));
  EXPECT_EQ(index.status, 2);
  EXPECT_EQ(index.err, "vexlora-sweep: INDEX: exp has tasks 0 to 5\n");

  // The runner's own numbers are named as plainly.
  const ProgramResult evolve = RunProgram(work.path().string(), Quote(kEvolveProgram) + " --generations x");
  EXPECT_EQ(evolve.status, 2);
  EXPECT_EQ(evolve.err, "vexlora-evolve: --generations: \"x\" is not a whole number of 0 or more (see --help)\n");
}

}  // namespace
