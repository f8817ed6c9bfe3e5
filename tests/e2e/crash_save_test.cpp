// The headless runner killed with SIGKILL at random moments, many of them
// inside a save: the weight file it leaves is always absent or a whole file
// written by one of its saves, and a temporary left by a save cut short is
// never loaded and goes with the next save.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/random.h"
#include "params/params.h"
#include "support/temp_dir.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/runner_text.h"
#include "tests/support/test_params.h"
#include "world/world.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kEvolve = VEXLORA_EVOLVE;
const std::string kWeights = "AllWeights.bin";
const std::string kTemporary = "AllWeights.bin.tmp";

// Short generations on a well-stocked arena with gentle mutation: with seed
// 1 the early generations keep beating their best composite score, so the
// first 25 generation ends save 23 times (all but generations 0 and 9).
constexpr std::uint32_t kSeed = 1;
constexpr int kGenerations = 25;

#ifdef VEXLORA_SANITIZED
constexpr int kRandomKills = 50;
constexpr int kSaveKills = 15;
#else
constexpr int kRandomKills = 60;
constexpr int kSaveKills = 25;
#endif

std::string CrashParamsText() {
  std::string text = ParamsWith("TicksPerGeneration", "300");
  text = ParamsWith(text, "FungusCount", "500");
  return ParamsWith(text, "MutationRate", "0.02");
}

// The saves count, the CSV's last column of its last row; -1 without rows.
int SavesInCsv(const std::string& csv) {
  const std::vector<std::string> rows = Lines(csv);
  if (rows.size() < 2) return -1;
  return std::stoi(rows.back().substr(rows.back().rfind(',') + 1));
}

// Every save of an uninterrupted run, replayed in this process: the same
// parameters, seed and empty directory give the same generations as the
// program's run.
struct Reference {
  std::vector<std::string> saves;     // file bytes, in save order
  std::vector<int> saveGenerations;   // the generation whose end saved
  std::size_t fileSize = 0;           // P x N doubles
};

Reference Replay(const std::string& paramsText) {
  Reference ref;
  const ParamsRecord p = ParseParams(paramsText);
  EXPECT_EQ(CheckParams(p, "params.ini"), "");
  ScopedParams scoped(p);
  TempDir dir;
  dir.Enter();
  SeedRandom(kSeed);
  World world;
  world.bFastMode = true;
  ref.fileSize = static_cast<std::size_t>(world.iNumCritters) * static_cast<std::size_t>(world.iNumWeights) *
                 sizeof(double);
  EXPECT_EQ(ref.fileSize, static_cast<std::size_t>(p.CritterCount) *
                              static_cast<std::size_t>(NetworkWeightCount(p)) * sizeof(double));
  while (world.iGeneration < kGenerations) {
    const int generation = world.iGeneration;
    const int saves = world.iNumSaves;
    if (!world.Update()) {
      ADD_FAILURE() << "a tick failed in the replay";
      break;
    }
    if (world.iNumSaves != saves) {
      ref.saves.push_back(ReadFile(dir.File(kWeights)));
      ref.saveGenerations.push_back(generation);
    }
  }
  return ref;
}

// The saves a killed run had reached: the number of the reference's saving
// generations announced in its debug log. Each save's block in the log comes
// before the save itself; a line counts only once it is whole.
int SavesAnnounced(const std::string& log, const Reference& ref) {
  const std::string block = "New BestComposite\nGenerations: ";
  int announced = 0;
  for (std::size_t at = log.find(block); at != std::string::npos; at = log.find(block, at)) {
    at += block.size();
    const std::size_t end = log.find('\n', at);
    if (end == std::string::npos) break;
    const int generation = std::stoi(log.substr(at, end - at));
    if (std::find(ref.saveGenerations.begin(), ref.saveGenerations.end(), generation) != ref.saveGenerations.end())
      ++announced;
  }
  return announced;
}

// Files in dir other than the parameters, the logs, the weight file and
// its one temporary: what a save might leave behind under another name.
std::vector<std::string> StrayFiles(const TempDir& dir) {
  std::vector<std::string> stray;
  for (const fs::directory_entry& e : fs::directory_iterator(dir.path())) {
    const std::string name = e.path().filename().string();
    if (name != "params.ini" && name != "Dbg.Log" && name != "Dbg1.Log" && name != "Dbg2.Log" && name != kWeights &&
        name != kTemporary)
      stray.push_back(name);
  }
  return stray;
}

std::optional<std::size_t> SaveIndex(const Reference& ref, const std::string& bytes) {
  for (std::size_t i = 0; i < ref.saves.size(); ++i)
    if (ref.saves[i] == bytes) return i;
  return std::nullopt;
}

std::vector<std::string> EvolveArgs() {
  return {kEvolve, "--quiet", "--seed", std::to_string(kSeed), "--generations", std::to_string(kGenerations)};
}

struct Finished {
  ChildEnd end;
  std::string csv;
  std::string err;
  double seconds = 0.0;
};

// A whole run in dir, its CSV and messages kept outside dir.
Finished RunToEnd(const TempDir& dir) {
  TempDir capture;
  const auto start = Clock::now();
  ChildProcess child(dir.path().string(), EvolveArgs(), capture.File("out"), capture.File("err"));
  Finished r;
  r.end = child.Wait();
  r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  r.csv = ReadFile(capture.File("out"));
  r.err = ReadFile(capture.File("err"));
  return r;
}

struct Tally {
  int kills = 0;
  int finished = 0;  // ended on their own before the kill
  int absent = 0;
  int whole = 0;
  int temporaries = 0;
  int onlyTemporary = 0;
  int temporaryWhole = 0;  // the temporary already held the whole save
};

class CrashSave : public ::testing::Test {
 protected:
  void SetUp() override {
    params_ = CrashParamsText();
    ref_ = Replay(params_);
    ASSERT_FALSE(ref_.saves.empty());
    // Saves at most generation ends, so kills land in and between saves.
    ASSERT_GE(ref_.saves.size() * 3, static_cast<std::size_t>(kGenerations) * 2)
        << "these parameters no longer save at most generation ends";
    for (const std::string& save : ref_.saves) ASSERT_EQ(save.size(), ref_.fileSize);

    // The program's own uninterrupted run follows the replay.
    TempDir dir;
    WriteFile(dir.File("params.ini"), params_);
    const Finished r = RunToEnd(dir);
    ASSERT_EQ(r.end.status, 0) << r.err;
    ASSERT_EQ(SavesInCsv(r.csv), static_cast<int>(ref_.saves.size()));
    ASSERT_TRUE(ReadFile(dir.File(kWeights)) == ref_.saves.back()) << "the last save differs from the replay's";
    ASSERT_FALSE(fs::exists(dir.File(kTemporary)));
    ASSERT_EQ(StrayFiles(dir), std::vector<std::string>{});
    freshCsv_ = r.csv;
    runSeconds_ = r.seconds;
  }

  // What a killed run left in dir: AllWeights.bin absent or the whole file
  // of a save, the last one the run announced or, while that one was being
  // written, the one before; a temporary only while a save was under way,
  // holding the start of that save.
  void CheckLeftovers(const TempDir& dir, const std::string& what, Tally& tally) {
    SCOPED_TRACE(what);
    const int announced = SavesAnnounced(ReadFile(dir.File("Dbg.Log")), ref_);
    const bool hasFile = fs::exists(dir.File(kWeights));
    const bool hasTemporary = fs::exists(dir.File(kTemporary));
    EXPECT_EQ(StrayFiles(dir), std::vector<std::string>{});
    if (hasFile) {
      ++tally.whole;
      const std::string bytes = ReadFile(dir.File(kWeights));
      ASSERT_EQ(bytes.size(), ref_.fileSize);
      const std::optional<std::size_t> index = SaveIndex(ref_, bytes);
      ASSERT_TRUE(index.has_value()) << "AllWeights.bin is not the file of any save";
      const int i = static_cast<int>(*index);
      if (hasTemporary)
        EXPECT_EQ(i, announced - 2);
      else
        EXPECT_TRUE(i == announced - 1 || i == announced - 2) << "save " << i << ", announced " << announced;
    } else {
      ++tally.absent;
      EXPECT_LE(announced, 1);
    }
    if (hasTemporary) {
      ++tally.temporaries;
      if (!hasFile) ++tally.onlyTemporary;
      ASSERT_GE(announced, 1);
      const std::string partial = ReadFile(dir.File(kTemporary));
      const std::string& saving = ref_.saves[static_cast<std::size_t>(announced - 1)];
      EXPECT_LE(partial.size(), saving.size());
      if (partial.size() == saving.size()) ++tally.temporaryWhole;
      EXPECT_TRUE(partial == saving.substr(0, partial.size())) << "the temporary is not the save under way";
      CheckNextRunClearsTemporary(dir, !hasFile);
    }
  }

  // A further run in the directory saves and leaves no temporary behind;
  // with no weight file it ran as from a fresh directory, the temporary unread.
  void CheckNextRunClearsTemporary(const TempDir& dir, bool asFresh) {
    const Finished r = RunToEnd(dir);
    ASSERT_EQ(r.end.status, 0) << r.err;
    ASSERT_GT(SavesInCsv(r.csv), 0);
    EXPECT_FALSE(fs::exists(dir.File(kTemporary)));
    EXPECT_EQ(StrayFiles(dir), std::vector<std::string>{});
    EXPECT_EQ(fs::file_size(dir.File(kWeights)), ref_.fileSize);
    if (asFresh) {
      EXPECT_EQ(r.csv, freshCsv_);
      EXPECT_TRUE(ReadFile(dir.File(kWeights)) == ref_.saves.back()) << "not the fresh run's last save";
    }
  }

  std::string params_;
  Reference ref_;
  std::string freshCsv_;
  double runSeconds_ = 0.0;
};

void Report(const Tally& t, const char* kind) {
  std::printf(
      "%s: %d kills (%d runs ended before their kill): %d left no AllWeights.bin, %d a whole saved file; "
      "%d left AllWeights.bin.tmp (inside a save; %d of them already whole), %d of them with no AllWeights.bin\n",
      kind, t.kills, t.finished, t.absent, t.whole, t.temporaries, t.temporaryWhole, t.onlyTemporary);
  const std::string prefix = std::string(kind) + "_";
  ::testing::Test::RecordProperty(prefix + "kills", t.kills);
  ::testing::Test::RecordProperty(prefix + "absent", t.absent);
  ::testing::Test::RecordProperty(prefix + "whole_file", t.whole);
  ::testing::Test::RecordProperty(prefix + "temporary_left", t.temporaries);
}

void SleepFor(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

}  // namespace

TEST_F(CrashSave, KilledAtRandomMomentsLeavesNoFileOrAWholeSave) {
  std::printf("%zu saves in %d generations, an uninterrupted run takes %.3f s\n", ref_.saves.size(), kGenerations,
              runSeconds_);
  std::mt19937 random(20240607);
  std::uniform_real_distribution<double> moment(0.0, 1.0);
  Tally tally;
  for (int attempt = 0; tally.kills < kRandomKills && attempt < 3 * kRandomKills; ++attempt) {
    const double at = moment(random) * runSeconds_;
    TempDir dir, capture;
    WriteFile(dir.File("params.ini"), params_);
    ChildProcess child(dir.path().string(), EvolveArgs(), capture.File("out"), capture.File("err"));
    SleepFor(at);
    child.Kill();
    const ChildEnd end = child.Wait();
    if (end.signal == SIGKILL)
      ++tally.kills;
    else
      ++tally.finished;
    CheckLeftovers(dir, "kill after " + std::to_string(at) + " s", tally);
    if (HasFatalFailure()) break;
  }
  Report(tally, "random");
  EXPECT_EQ(tally.kills, kRandomKills);
}

// Kills inside saves: from a random save on, the runner is stopped as soon
// as a save creates its temporary; while the temporary is still there the
// save is under way, and the stopped runner is killed. Otherwise it goes on
// to the next save.
TEST_F(CrashSave, KilledDuringSavesLeavesNoFileOrAWholeSave) {
  std::mt19937 random(7311);
  std::uniform_int_distribution<int> firstSave(1, static_cast<int>(ref_.saves.size()));
  std::uniform_int_distribution<int> delayMicroseconds(0, 300);
  Tally tally;
  for (int k = 0; k < kSaveKills; ++k) {
    const int target = firstSave(random);
    const int delay = delayMicroseconds(random);
    TempDir dir, capture;
    WriteFile(dir.File("params.ini"), params_);
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, dir.path().c_str(), IN_CREATE), 0);
    ChildProcess child(dir.path().string(), EvolveArgs(), capture.File("out"), capture.File("err"));
    int created = 0;
    bool killed = false;
    while (!killed && child.Running()) {
      pollfd p{watch, POLLIN, 0};
      if (poll(&p, 1, 10) <= 0) continue;
      alignas(inotify_event) char buffer[4096];
      const ssize_t n = read(watch, buffer, sizeof buffer);
      bool saving = false;
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0 && kTemporary == event->name && ++created >= target) saving = true;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
      if (!saving) continue;
      std::this_thread::sleep_for(std::chrono::microseconds(delay));
      if (!child.Stop()) break;
      if (fs::exists(dir.File(kTemporary))) {
        child.Kill();
        killed = true;
      } else {
        child.Continue();
      }
    }
    close(watch);
    const ChildEnd end = child.Wait();
    if (end.signal == SIGKILL)
      ++tally.kills;
    else
      ++tally.finished;
    CheckLeftovers(dir, "kill inside a save from save " + std::to_string(target) + " on", tally);
    if (HasFatalFailure()) break;
  }
  Report(tally, "in_saves");
  EXPECT_GT(tally.temporaries, 0) << "no kill landed inside a save";
}

// Leftover temporaries put in place by hand, so these cases never depend on
// where a kill lands.
TEST_F(CrashSave, ALeftoverTemporaryIsNeverLoaded) {
  // A whole, valid save under the temporary's name: loading it would change
  // the very first generation.
  TempDir dir;
  WriteFile(dir.File("params.ini"), params_);
  WriteFile(dir.File(kTemporary), ref_.saves.back());
  CheckNextRunClearsTemporary(dir, true);
}

TEST_F(CrashSave, TheNextSaveReplacesAPartialTemporary) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), params_);
  WriteFile(dir.File(kWeights), ref_.saves.front());
  WriteFile(dir.File(kTemporary), ref_.saves.back().substr(0, ref_.fileSize / 2 + 3));
  CheckNextRunClearsTemporary(dir, false);
}
