// vexlora-sweep killed with SIGKILL, while its runs go and while a run is
// inside a save: no run of it is left behind, and running it again gives the
// uninterrupted sweep's files byte for byte.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/run_program.h"
#include "tests/sweep/sweep_support.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kPlan = "--seeds 1-3 --set MutationRate=0.02,0.05 --params base.ini --generations 20";

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The experiment's files that a rerun must reproduce (the logs aside).
std::map<std::string, std::string> Results(const fs::path& dir) {
  std::map<std::string, std::string> files = FilesUnder(dir);
  for (auto it = files.begin(); it != files.end();)
    it = it->first.ends_with("Dbg.Log") ? files.erase(it) : std::next(it);
  return files;
}

class Resume : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(work_.File("base.ini"), ScenarioText());
    const ProgramResult r = RunProgram(work_.path().string(), Quote(kSweep) + " run whole " + kPlan + " --jobs 2");
    ASSERT_EQ(r.status, 0) << r.err;
    whole_ = Results(work_.path() / "whole");
    ASSERT_TRUE(whole_.count("summary.csv"));
  }

  // The killed sweep's runs all end with it; the sweep run again finishes
  // only what is missing, and its files are the uninterrupted sweep's.
  void ExpectNothingLeftAndResumeEqual(const fs::path& dir) {
    EXPECT_TRUE(WaitUntil([&] { return ProcessesUnder(dir).empty(); }, 5.0))
        << ProcessesUnder(dir).size() << " runs of the killed sweep are still going";
    const ProgramResult r = RunProgram(work_.path().string(), Quote(kSweep) + " run " + dir.filename().string());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::map<std::string, std::string> resumed = Results(dir);
    EXPECT_EQ(resumed.size(), whole_.size());
    for (const auto& [name, bytes] : whole_)
      EXPECT_TRUE(resumed.count(name) && resumed.at(name) == bytes) << name << " differs from the uninterrupted sweep";
  }

  TempDir work_;
  std::map<std::string, std::string> whole_;
};

// The sweep started and, once one run has finished and others are under
// way, sent the signal; the runs it had going then.
std::vector<int> SignalWhileRunsGo(const fs::path& work, const fs::path& dir, int signal, ChildEnd* end) {
  std::vector<std::string> args = {kSweep, "run", dir.string(), "--jobs", "2"};
  for (const std::string& w : Words(kPlan)) args.push_back(w);
  TempDir capture;
  ChildProcess sweep(work.string(), args, capture.File("out"), capture.File("err"));
  const bool going = WaitUntil(
      [&] {
        const bool twoGoing = fs::exists(dir / "runs/2/run.csv.part") || fs::exists(dir / "runs/3/run.csv.part");
        return !sweep.Running() || (fs::exists(dir / "runs/0/run.csv") && twoGoing);
      },
      60.0);
  EXPECT_TRUE(going && sweep.Running()) << ReadFile(capture.File("err"));
  const std::vector<int> runs = ProcessesUnder(dir);
  kill(sweep.pid(), signal);
  *end = sweep.Wait();
  EXPECT_FALSE(runs.empty()) << "no run was going when the sweep was stopped";
  EXPECT_FALSE(fs::exists(dir / "summary.csv"));
  return runs;
}

TEST_F(Resume, KilledWhileRunsGo) {
  const fs::path dir = work_.path() / "killed";
  ChildEnd end;
  SignalWhileRunsGo(work_.path(), dir, SIGKILL, &end);
  EXPECT_EQ(end.signal, SIGKILL);
  ExpectNothingLeftAndResumeEqual(dir);
}

// SIGTERM (and Ctrl-C alike): the sweep stops its runs and waits for them
// before it ends by the same signal.
TEST_F(Resume, TerminatedWhileRunsGo) {
  const fs::path dir = work_.path() / "terminated";
  ChildEnd end;
  const std::vector<int> runs = SignalWhileRunsGo(work_.path(), dir, SIGTERM, &end);
  EXPECT_EQ(end.signal, SIGTERM);
  for (const int pid : runs) EXPECT_NE(kill(pid, 0), 0) << "run " << pid << " outlived the stopped sweep";
  ExpectNothingLeftAndResumeEqual(dir);
}

// A run stopped just as it writes AllWeights.bin.tmp, the sweep killed with
// it stopped: the run directory keeps a saved AllWeights.bin (and mostly the
// temporary), which would change the run if it were loaded on the rerun.
TEST_F(Resume, KilledWithARunInsideItsSave) {
  const fs::path dir = work_.path() / "saving";
  ASSERT_EQ(RunProgram(work_.path().string(), Quote(kSweep) + " plan saving " + kPlan).status, 0);
  const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, (dir / "runs").c_str(), IN_CREATE), 0);
  TempDir capture;
  ChildProcess sweep(work_.path().string(), {kSweep, "run", "saving", "--jobs", "1"}, capture.File("out"),
                     capture.File("err"));

  // Task 1 (task 0 finished first), from its fifth save on.
  const fs::path target = dir / "runs/1";
  int saves = 0;
  bool insideSave = false;
  pid_t run = -1;
  const Clock::time_point end = Clock::now() + std::chrono::seconds(60);
  while (sweep.Running() && Clock::now() < end) {
    pollfd p{watch, POLLIN, 0};
    if (poll(&p, 1, 10) <= 0) continue;
    alignas(inotify_event) char buffer[4096];
    const ssize_t n = read(watch, buffer, sizeof buffer);
    bool saving = false;
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->len > 0 && event->mask & IN_CREATE && std::string(event->name) == "1") {
        inotify_add_watch(watch, target.c_str(), IN_CREATE);
      }
      if (event->len > 0 && std::string(event->name) == "AllWeights.bin.tmp" && fs::exists(target / "run.csv.part") &&
          ++saves >= 5)
        saving = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    if (!saving) continue;
    if (run < 0) {
      const std::vector<int> pids = ProcessesUnder(target);
      if (pids.size() != 1) continue;
      run = pids[0];
    }
    kill(run, SIGSTOP);
    insideSave = fs::exists(target / "AllWeights.bin.tmp");
    if (insideSave || saves >= 15) break;
    kill(run, SIGCONT);
  }
  close(watch);
  ASSERT_GT(run, 0) << "task 1 never saved";
  sweep.Kill();
  EXPECT_EQ(sweep.Wait().signal, SIGKILL);
  std::printf("the sweep was killed with task 1 stopped %s its save number %d\n", insideSave ? "inside" : "after",
              saves);
  EXPECT_TRUE(WaitUntil([&] { return kill(run, 0) != 0; }, 5.0)) << "the stopped run outlived the sweep";
  EXPECT_TRUE(fs::exists(target / "AllWeights.bin"));
  EXPECT_FALSE(fs::exists(target / "run.csv"));
  ExpectNothingLeftAndResumeEqual(dir);
}

}  // namespace
