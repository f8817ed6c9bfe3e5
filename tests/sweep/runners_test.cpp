// Runners meeting on one experiment directory, a run that cannot start and a
// run.csv that is not whole: vexlora-sweep as a real process, its runs real
// vexlora-evolve children, held still with SIGSTOP where a moment matters.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/run_program.h"
#include "tests/sweep/sweep_support.h"

namespace {

namespace fs = std::filesystem;

std::string Sweep(const std::string& args) { return Quote(kSweep) + " " + args; }

// The one vexlora-evolve running in a task's directory, once it has made its
// run.csv.part; -1 when none shows up.
int RunningRun(const fs::path& run) {
  int pid = -1;
  WaitUntil(
      [&] {
        const std::vector<int> pids = ProcessesUnder(run);
        if (pids.size() != 1 || ReadFile("/proc/" + std::to_string(pids[0]) + "/comm") != "vexlora-evolve\n" ||
            !fs::exists(run / "run.csv.part"))
          return false;
        pid = pids[0];
        return true;
      },
      60.0);
  return pid;
}

// Stops a process and waits until it has stopped.
void Hold(int pid) {
  kill(pid, SIGSTOP);
  WaitUntil(
      [&] {
        const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
        const std::size_t end = stat.rfind(") ");
        return end == std::string::npos || stat.compare(end + 2, 1, "T") == 0;
      },
      10.0);
}

ino_t Inode(const fs::path& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A second `run`, a `task` (a second Slurm array) and the first runner on one
// directory: a run another runner holds is left to it, never emptied or
// renamed, and every run.csv is the one vexlora-evolve prints.
TEST(Runners, TwoOnOneDirectoryNeverShareARun) {
  TempDir work;
  WriteFile(work.File("base.ini"), ScenarioText());
  constexpr int kGenerations = 40;
  ASSERT_EQ(RunProgram(work.path().string(),
                       Sweep("plan exp --seeds 1-3 --params base.ini --generations " + std::to_string(kGenerations)))
                .status,
            0);
  const fs::path dir = work.path() / "exp";
  TempDir capture;
  ChildProcess first(work.path().string(), {kSweep, "run", "exp", "--jobs", "1"}, capture.File("out"),
                     capture.File("err"));
  // Task 0 of the first runner, held half-way.
  const int held = RunningRun(dir / "runs/0");
  ASSERT_GT(held, 0) << ReadFile(capture.File("err"));
  Hold(held);
  const ino_t heldDir = Inode(dir / "runs/0");
  const std::string heldRows = ReadFile((dir / "runs/0/run.csv.part").string());

  const ProgramResult second = RunProgram(work.path().string(), Sweep("run exp --jobs 2"));
  const ProgramResult task = RunProgram(work.path().string(), Sweep("task exp 0"));
  const bool untouched = Inode(dir / "runs/0") == heldDir && fs::exists(dir / "runs/0/run.csv.part") &&
                         ReadFile((dir / "runs/0/run.csv.part").string()) == heldRows &&
                         !fs::exists(dir / "runs/0/run.csv");
  kill(held, SIGCONT);
  const ChildEnd end = first.Wait();

  EXPECT_TRUE(untouched) << "another runner emptied or finished the held run";
  EXPECT_EQ(second.status, 3) << second.err;  // task 0 had not finished when it summarised
  EXPECT_NE(second.err.find("vexlora-sweep: task 0 (seed 1) is running in another vexlora-sweep; left to it\n"),
            std::string::npos)
      << second.err;
  EXPECT_EQ(second.err.find("failed"), std::string::npos) << second.err;
  EXPECT_EQ(task.status, 0) << task.err;
  EXPECT_EQ(task.err, "vexlora-sweep: task 0 (seed 1) is running in another vexlora-sweep; left to it\n");
  // The first runner finished its run and found the others done.
  EXPECT_EQ(end.status, 0) << ReadFile(capture.File("err"));
  for (int t = 0; t < 3; ++t)
    EXPECT_EQ(ReadFile((dir / "runs" / std::to_string(t) / "run.csv").string()),
              SeparateRun(ScenarioText(), "", t + 1, kGenerations))
        << "task " << t;
  const std::vector<std::string> rows = Lines(ReadFile((dir / "runs.csv").string()));
  ASSERT_EQ(rows.size(), 4u);
  for (int t = 0; t < 3; ++t) EXPECT_NE(rows[static_cast<std::size_t>(t) + 1].find(",done,"), std::string::npos);
}

// A run that cannot start (here: the start weights are gone) stops new runs
// from starting; the runs already going finish, the failure is recorded and
// the sweep ends with status 3 after the summary. The runs' children hold
// only their own three standard descriptors of the sweep's making.
TEST(Runners, AFailedStartLetsTheRunningRunsFinish) {
  TempDir work, evolved;
  const std::string params = ScenarioText();
  WriteFile(work.File("base.ini"), params);
  WriteFile(evolved.File("params.ini"), params);
  ASSERT_EQ(RunProgram(evolved.path().string(), Quote(kEvolveProgram) + " --quiet --seed 9 --generations 3").status, 0);
  const std::string weights = ReadFile(evolved.File("AllWeights.bin"));
  ASSERT_FALSE(weights.empty());
  WriteFile(work.File("start.bin"), weights);
  constexpr int kGenerations = 10;
  ASSERT_EQ(RunProgram(work.path().string(), Sweep("plan exp --seeds 1-4 --params base.ini --weights start.bin "
                                                   "--generations " + std::to_string(kGenerations)))
                .status,
            0);
  const fs::path dir = work.path() / "exp";
  TempDir capture;
  ChildProcess sweep(work.path().string(), {kSweep, "run", "exp", "--jobs", "2"}, capture.File("out"),
                     capture.File("err"));
  const int held = RunningRun(dir / "runs/0");
  const int other = RunningRun(dir / "runs/1");
  ASSERT_GT(held, 0) << ReadFile(capture.File("err"));
  ASSERT_GT(other, 0) << ReadFile(capture.File("err"));
  Hold(held);
  Hold(other);

  // The run's descriptors: besides 0, 1 and 2 none that the sweep opened for
  // it (to /dev/null or its stderr.txt) and does not hold itself.
  std::vector<std::string> strays;
  for (const fs::directory_entry& e : fs::directory_iterator("/proc/" + std::to_string(held) + "/fd")) {
    std::error_code ec;
    const std::string to = fs::read_symlink(e.path(), ec).string();
    const std::string fd = e.path().filename().string();
    const std::string inSweep = fs::read_symlink("/proc/" + std::to_string(sweep.pid()) + "/fd/" + fd, ec).string();
    if (std::stoi(fd) > 2 && (to == "/dev/null" || to.ends_with("/stderr.txt")) && to != inSweep)
      strays.push_back(fd + " " + to);
  }
  EXPECT_TRUE(strays.empty()) << "the run keeps the sweep's descriptors: " << strays.front();

  // Task 1 ends while task 0 is held; task 2 then cannot copy the weights.
  fs::remove(dir / "AllWeights.bin");
  kill(other, SIGCONT);
  const bool recorded = WaitUntil([&] { return fs::exists(dir / "runs/2/exit-status"); }, 30.0);
  const bool heldAlive = kill(held, 0) == 0;
  kill(held, SIGCONT);
  const ChildEnd end = sweep.Wait();
  const std::string err = ReadFile(capture.File("err"));

  EXPECT_TRUE(recorded) << err;
  EXPECT_TRUE(heldAlive) << "the running run was stopped when another could not start";
  EXPECT_EQ(end.status, 3) << err;
  EXPECT_NE(err.find("vexlora-sweep: task 2 (seed 3) could not start: cannot copy "), std::string::npos) << err;
  EXPECT_EQ(ReadFile((dir / "runs/2/exit-status").string()), "127\n");
  EXPECT_FALSE(fs::exists(dir / "runs/3")) << "a run was started after one could not start";
  for (int t = 0; t < 2; ++t)
    EXPECT_EQ(ReadFile((dir / "runs" / std::to_string(t) / "run.csv").string()),
              SeparateRun(params, weights, t + 1, kGenerations))
        << "task " << t;
  const std::vector<std::string> rows = Lines(ReadFile((dir / "runs.csv").string()));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_TRUE(rows[1].starts_with("0,0,1,done,")) << rows[1];
  EXPECT_TRUE(rows[2].starts_with("1,0,2,done,")) << rows[2];
  EXPECT_EQ(rows[3], "2,0,3,failed:127,10,,,,,,,");
  EXPECT_EQ(rows[4], "3,0,4,missing,10,,,,,,,");
}

// A run.csv cut short after the run (a full disk, a hand that edited it) is
// an unfinished run: `slurm` and `run` run it again, and the summary is
// that of an experiment never damaged.
TEST(Runners, ARunCsvThatIsNotWholeRunsAgain) {
  TempDir work;
  WriteFile(work.File("base.ini"), ScenarioText());
  ASSERT_EQ(RunProgram(work.path().string(), Sweep("run exp --seeds 1-3 --params base.ini --generations 4")).status, 0);
  const fs::path dir = work.path() / "exp";
  const std::string summary = ReadFile((dir / "summary.csv").string());
  const std::string whole = ReadFile((dir / "runs/1/run.csv").string());
  WriteFile((dir / "runs/1/run.csv").string(), whole.substr(0, whole.size() - 10));

  const ProgramResult slurm = RunProgram(work.path().string(), Sweep("slurm exp"));
  EXPECT_EQ(slurm.status, 0) << slurm.err;
  EXPECT_NE(ReadFile((dir / "sweep.sbatch").string()).find("\n#SBATCH --array=1\n"), std::string::npos);
  const ProgramResult again = RunProgram(work.path().string(), Sweep("run exp"));
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(ReadFile((dir / "runs/1/run.csv").string()), whole);
  EXPECT_EQ(ReadFile((dir / "summary.csv").string()), summary);
}

}  // namespace
