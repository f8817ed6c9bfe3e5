// The headless runner given files that are not what they seem: a params.ini
// or AllWeights.bin that is a directory, a pipe, empty, unreadable or full of
// NaN; logs in the way; a working directory it cannot write.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tests/e2e/run_program.h"
#include "tests/e2e/runner_text.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> Listing(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// The runner copied where the unprivileged user can run it, whatever the
// permissions of the build tree.
class EvolveFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::permissions(bin_.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
    fs::copy_file(VEXLORA_EVOLVE, bin_.File("vexlora-evolve"));
  }

  ProgramResult Evolve(const TempDir& dir, const std::string& args) {
    return RunProgram(dir.path().string(), Quote(bin_.File("vexlora-evolve")) + " --quiet " + args);
  }

  // The same, as a user whom file permissions bind (root is not bound).
  ProgramResult EvolveUnprivileged(const TempDir& dir, const std::string& args) {
    const std::string drop = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    return RunProgram(dir.path().string(), drop + Quote(bin_.File("vexlora-evolve")) + " --quiet " + args);
  }

  // A run of the default scenario in a clean directory: what a run that
  // ignores an odd weight file or log must print.
  std::string CleanCsv(const std::string& args) {
    TempDir clean;
    WriteFile(clean.File("params.ini"), DefaultParamsText());
    const ProgramResult r = Evolve(clean, args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
  }

  TempDir bin_;
};

// Readable by everyone; writable by everyone or by no one (the owner too,
// for a run of the tests as an ordinary user).
void OpenToOthers(const TempDir& dir, bool writable) {
  const fs::perms readable = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
  fs::permissions(dir.path(), writable ? readable | fs::perms::owner_write | fs::perms::group_write |
                                             fs::perms::others_write
                                       : readable);
}

void ExpectOneLineRefusal(const ProgramResult& r, const std::string& text, const std::string& what) {
  EXPECT_EQ(r.status, 2) << what << ": " << r.err;
  EXPECT_NE(r.err.find(text), std::string::npos) << what << ": " << r.err;
  EXPECT_EQ(Lines(r.err).size(), 1u) << what << ": " << r.err;
  EXPECT_EQ(r.out, "") << what;
}

std::string RepeatedDoubles(std::initializer_list<double> pattern, std::size_t count) {
  std::string bytes;
  for (std::size_t i = 0; i < count; ++i) {
    const double v = *(pattern.begin() + i % pattern.size());
    bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
  }
  return bytes;
}

}  // namespace

TEST_F(EvolveFiles, ParamsThatIsNoRegularFileIsRefusedAtOnce) {
  {
    TempDir dir;
    fs::create_directory(dir.File("params.ini"));
    ExpectOneLineRefusal(Evolve(dir, "--seed 1 --generations 1"),
                         "Cannot find ini file! (params.ini: is a directory)", "a directory");
  }
  {
    // Opening a pipe for reading would wait for a writer for ever.
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("params.ini").c_str(), 0644), 0);
    ExpectOneLineRefusal(Evolve(dir, "--seed 1 --generations 1"),
                         "Cannot find ini file! (params.ini: is not a regular file)", "a pipe");
  }
  {
    TempDir dir;
    fs::create_symlink("/dev/zero", dir.File("params.ini"));
    ExpectOneLineRefusal(Evolve(dir, "--seed 1 --generations 1"),
                         "Cannot find ini file! (params.ini: is not a regular file)", "a device");
  }
  {
    TempDir dir;
    WriteFile(dir.File("params.ini"), "");
    ExpectOneLineRefusal(Evolve(dir, "--seed 1 --generations 1"),
                         "Parameter FrameRate is 0 in params.ini; it must be 1 or more.", "an empty file");
  }
  {
    TempDir dir;
    WriteFile(dir.File("params.ini"), DefaultParamsText());
    fs::permissions(dir.File("params.ini"), fs::perms::none);
    OpenToOthers(dir, false);
    ExpectOneLineRefusal(EvolveUnprivileged(dir, "--seed 1 --generations 1"),
                         "Cannot find ini file! (params.ini: Permission denied)", "an unreadable file");
  }
}

// Whatever holds the weight file's name but cannot be read as one is passed
// over: the run is the run without a weight file.
TEST_F(EvolveFiles, WeightFileThatCannotBeReadIsPassedOver) {
  const std::string args = "--seed 5 --generations 2";
  const std::string expected = CleanCsv(args);
  auto check = [&](const std::string& what, auto make, bool unprivileged = false) {
    TempDir dir;
    OpenToOthers(dir, true);
    WriteFile(dir.File("params.ini"), DefaultParamsText());
    make(dir);
    const ProgramResult r = unprivileged ? EvolveUnprivileged(dir, args) : Evolve(dir, args);
    EXPECT_EQ(r.status, 0) << what << ": " << r.err;
    EXPECT_EQ(r.out, expected) << what;
  };
  check("a directory", [](const TempDir& d) { fs::create_directory(d.File("AllWeights.bin")); });
  check("a pipe", [](const TempDir& d) { ASSERT_EQ(mkfifo(d.File("AllWeights.bin").c_str(), 0644), 0); });
  check("a device", [](const TempDir& d) { fs::create_symlink("/dev/zero", d.File("AllWeights.bin")); });
  check("the leftover of a save cut short",
        [](const TempDir& d) { WriteFile(d.File("AllWeights.bin.tmp"), std::string(100, '\x7f')); });
  check(
      "an unreadable file",
      [](const TempDir& d) {
        WriteFile(d.File("AllWeights.bin"), std::string(30 * 26 * 8, '\0'));
        fs::permissions(d.File("AllWeights.bin"), fs::perms::none);
      },
      true);
}

TEST_F(EvolveFiles, EmptyWeightFileRunsWithEveryWeightZero) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), DefaultParamsText());
  WriteFile(dir.File("AllWeights.bin"), "");
  const ProgramResult r = Evolve(dir, "--seed 5 --generations 2");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out).size(), 3u);
  EXPECT_NE(r.out, CleanCsv("--seed 5 --generations 2"));
}

// NaN and infinite weights make critters whose positions are NaN; the run
// goes on to its end, and breeding slowly replaces them.
TEST_F(EvolveFiles, NaNAndInfiniteWeightsRunToTheEnd) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const auto& [name, bytes] :
       {std::pair<std::string, std::string>{"all NaN", RepeatedDoubles({nan}, 30 * 26)},
        {"mixed", RepeatedDoubles({nan, inf, -inf, 1.0, -1e308, 4.9e-324}, 30 * 26)},
        {"infinities", RepeatedDoubles({inf, -inf}, 30 * 26)}}) {
    TempDir dir;
    WriteFile(dir.File("params.ini"), ParamsWith("TicksPerGeneration", "200"));
    WriteFile(dir.File("AllWeights.bin"), bytes);
    const ProgramResult r = Evolve(dir, "--seed 2 --generations 30");
    ASSERT_EQ(r.status, 0) << name << ": " << r.err;
    EXPECT_EQ(Lines(r.out).size(), 31u) << name;
    const std::string log = ReadFile(dir.File("Dbg.Log"));
    EXPECT_EQ(log.substr(log.size() - 8), "Goodbye\n") << name;
  }
}

TEST_F(EvolveFiles, LogsInTheWayDoNotChangeTheRun) {
  const std::string args = "--seed 5 --generations 2";
  const std::string expected = CleanCsv(args);
  {
    TempDir dir;
    WriteFile(dir.File("params.ini"), DefaultParamsText());
    fs::create_directory(dir.File("Dbg.Log"));
    WriteFile(dir.File("Dbg.Log/notes"), "mine");
    const ProgramResult r = Evolve(dir, args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(ReadFile(dir.File("Dbg.Log/notes")), "mine");
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"Dbg.Log", "params.ini"}));
  }
  {
    TempDir dir;
    WriteFile(dir.File("params.ini"), DefaultParamsText());
    fs::create_directory(dir.File("Dbg1.Log"));
    fs::create_directory(dir.File("Dbg2.Log"));
    const ProgramResult r = Evolve(dir, args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_NE(ReadFile(dir.File("Dbg.Log")).find("Goodbye\n"), std::string::npos);
  }
  {
    // Read-only logs of earlier runs, as another user left them.
    TempDir dir;
    OpenToOthers(dir, true);
    WriteFile(dir.File("params.ini"), DefaultParamsText());
    for (const char* name : {"Dbg.Log", "Dbg1.Log", "Dbg2.Log"}) {
      WriteFile(dir.File(name), name);
      fs::permissions(dir.File(name), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    const ProgramResult r = EvolveUnprivileged(dir, args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(ReadFile(dir.File("Dbg1.Log")), "Dbg.Log");
    EXPECT_EQ(ReadFile(dir.File("Dbg2.Log")), "Dbg1.Log");
    EXPECT_NE(ReadFile(dir.File("Dbg.Log")).find("Goodbye\n"), std::string::npos);
  }
}

// In a directory it cannot write, the run goes on: the log is off, and the
// saves fail silently but are counted.
TEST_F(EvolveFiles, UnwritableWorkingDirectory) {
  // With 10 ticks a generation the first meal saves (see the runner's tests).
  const std::string params = ParamsWith("TicksPerGeneration", "10");
  TempDir writable;
  WriteFile(writable.File("params.ini"), params);
  const ProgramResult normal = Evolve(writable, "--seed 4 --generations 10");
  ASSERT_EQ(normal.status, 0) << normal.err;
  const std::string last = Lines(normal.out).back();
  ASSERT_NE(last.substr(last.rfind(',') + 1), "0") << "the scenario must save";

  TempDir dir;
  WriteFile(dir.File("params.ini"), params);
  OpenToOthers(dir, false);
  const ProgramResult r = EvolveUnprivileged(dir, "--seed 4 --generations 10");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, normal.out) << "the same saves are counted";
  EXPECT_EQ(r.err, "seed: 4\n");
  EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"params.ini"});
}
