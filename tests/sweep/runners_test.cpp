// A run.csv that is not whole: vexlora-sweep as a real process, its runs
// real vexlora-evolve children.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/run_program.h"
#include "tests/sweep/sweep_support.h"

namespace {

namespace fs = std::filesystem;

std::string Sweep(const std::string& args) { return Quote(kSweep) + " " + args; }

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
