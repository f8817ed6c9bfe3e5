// The headless runner as a user runs it: a real process in a fresh directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tests/e2e/run_program.h"
#include "tests/e2e/runner_text.h"

namespace {

const std::string kEvolve = VEXLORA_EVOLVE;
const std::string kSource = VEXLORA_SOURCE_DIR;


ProgramResult Evolve(const TempDir& dir, const std::string& args) {
  return RunProgram(dir.path().string(), Quote(kEvolve) + " --quiet " + args);
}

}  // namespace

TEST(EvolveGolden, SeedOneTwentyGenerationsMatchesTheCommittedResult) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), DefaultParamsText());
  const ProgramResult r = Evolve(dir, "--seed 1 --generations 20");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, ReadFile(kSource + "/tests/golden/default-seed1-20.csv"));
  EXPECT_EQ(r.err, "seed: 1\n");
}

#ifdef VEXLORA_EVOLVE_O0
TEST(EvolveGolden, UnoptimisedBuildGivesTheSameResult) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), DefaultParamsText());
  const ProgramResult r =
      RunProgram(dir.path().string(), Quote(VEXLORA_EVOLVE_O0) + " --quiet --seed 1 --generations 20");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, ReadFile(kSource + "/tests/golden/default-seed1-20.csv"));
}
#endif

TEST(EvolveRuns, SameSeedSameCsvAndCsvFileOption) {
  TempDir a, b;
  const std::string params = ParamsWith("TicksPerGeneration", "300");
  WriteFile(a.File("params.ini"), params);
  WriteFile(b.File("params.ini"), params);
  const ProgramResult first = Evolve(a, "--seed 77 --generations 15");
  const ProgramResult second = Evolve(b, "--seed 77 --generations 15 --csv run.csv");
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, "");
  EXPECT_EQ(ReadFile(b.File("run.csv")), first.out);
  const std::vector<std::string> rows = Lines(first.out);
  ASSERT_EQ(rows.size(), 16u);
  EXPECT_EQ(rows[0],
            "generation,best_fitness,worst_fitness,average_fitness,best_index,worst_index,best_rolling,"
            "average_rolling,composite,best_composite,wins,saves");
  EXPECT_EQ(rows[1].rfind("0,", 0), 0u);
  EXPECT_EQ(rows[15].rfind("14,", 0), 0u);
  // A run writes its debug log like the window program.
  const std::string log = ReadFile(a.File("Dbg.Log"));
  EXPECT_EQ(log.rfind("Debug log", 0), 0u);
  EXPECT_NE(log.find("Goodbye\n"), std::string::npos);
}

TEST(EvolveRuns, ShortGenerationsSaveWeightsAndTheNextRunLoadsThem) {
  // With 10 ticks a generation, one meal lifts the composite score well
  // above 125 (fitness is scaled by 2048 / 10), so the first meal saves.
  TempDir dir, fresh;
  const std::string params = ParamsWith("TicksPerGeneration", "10");
  WriteFile(dir.File("params.ini"), params);
  WriteFile(fresh.File("params.ini"), params);
  const ProgramResult first = Evolve(dir, "--seed 4 --generations 10");
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_TRUE(std::filesystem::exists(dir.File("AllWeights.bin")));
  EXPECT_EQ(std::filesystem::file_size(dir.File("AllWeights.bin")), 30u * 26u * 8u);
  const std::vector<std::string> rows = Lines(first.out);
  EXPECT_NE(rows.back().substr(rows.back().rfind(',') + 1), "0");  // saves counted
  const std::string log = ReadFile(dir.File("Dbg.Log"));
  EXPECT_NE(log.find("New BestComposite\nGenerations: "), std::string::npos);
  EXPECT_NE(log.find("\nBest index: "), std::string::npos);

  // Same seed and full-length generations, with and without the saved
  // weights: the critters run different networks from the first tick on.
  WriteFile(dir.File("params.ini"), DefaultParamsText());
  WriteFile(fresh.File("params.ini"), DefaultParamsText());
  const ProgramResult loaded = Evolve(dir, "--seed 6 --generations 3");
  const ProgramResult unloaded = Evolve(fresh, "--seed 6 --generations 3");
  ASSERT_EQ(loaded.status, 0);
  ASSERT_EQ(unloaded.status, 0);
  EXPECT_NE(loaded.out, unloaded.out);
  EXPECT_TRUE(std::filesystem::exists(dir.File("Dbg1.Log")));  // the second run rotated the log
}

TEST(EvolveFailures, MissingParamsFile) {
  TempDir dir;
  const ProgramResult r = Evolve(dir, "--seed 1 --generations 1");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Cannot find ini file! (params.ini: No such file or directory)"), std::string::npos) << r.err;
  EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST(EvolveFailures, RefusedParameter) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), ParamsWith("CritterCount", "0"));
  const ProgramResult r = Evolve(dir, "--seed 1");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Parameter CritterCount is 0 in params.ini; it must be from 2 to "), std::string::npos)
      << r.err;
  EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
}

TEST(EvolveFailures, BadOptions) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), DefaultParamsText());
  for (const char* args : {"--generations many", "--no-such-option", "--seed -3", "--generations"}) {
    const ProgramResult r = Evolve(dir, args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(Lines(r.err).size(), 1u) << args << ": " << r.err;
  }
  const ProgramResult help = Evolve(dir, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--generations"), std::string::npos);
}

TEST(EvolveFailures, WrongInputCountStopsTheRun) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), ParamsWith("InputCount", "2"));
  const ProgramResult r = Evolve(dir, "--seed 1 --generations 2");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.status, 2);
  EXPECT_NE(r.err.find("Wrong amount of NN inputs!"), std::string::npos) << r.err;
  // The log is closed properly on the way out.
  EXPECT_NE(ReadFile(dir.File("Dbg.Log")).find("Goodbye\n"), std::string::npos);
}

TEST(EvolveFailures, ParamsFileOptionNamesTheFile) {
  TempDir dir;
  WriteFile(dir.File("other.ini"), ParamsWith("TicksPerGeneration", "0"));
  const ProgramResult r = Evolve(dir, "--params other.ini");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("TicksPerGeneration is 0 in other.ini"), std::string::npos) << r.err;

  // Networks too large for memory: the message names the file read too.
  std::string huge = ParamsWith("HiddenLayerCount", "100");
  huge = ParamsWith(huge, "HiddenLayerSize", "1000");
  WriteFile(dir.File("other.ini"), huge);
  const ProgramResult large = Evolve(dir, "--params other.ini");
  EXPECT_EQ(large.status, 2);
  EXPECT_NE(large.err.find("The networks of other.ini are too large"), std::string::npos) << large.err;
  EXPECT_EQ(large.err.find("params.ini"), std::string::npos) << large.err;
}

TEST(EvolveFailures, CsvThatCannotBeWrittenWholeIsAFailure) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), ParamsWith("TicksPerGeneration", "20"));
  // A full device: the rows fail at a write or at the flush.
  const ProgramResult file = Evolve(dir, "--seed 1 --generations 300 --csv /dev/full");
  EXPECT_EQ(file.status, 1);
  EXPECT_NE(file.err.find("cannot write /dev/full: No space left on device"), std::string::npos) << file.err;
  const std::string toFullStdout =
      "sh -c " + Quote("exec " + Quote(kEvolve) + " --quiet --seed 1 --generations 3 > /dev/full");
  const ProgramResult out = RunProgram(dir.path().string(), toFullStdout);
  EXPECT_EQ(out.status, 1);
  EXPECT_NE(out.err.find("cannot write standard output: No space left on device"), std::string::npos) << out.err;
  EXPECT_EQ(Lines(out.err).size(), 2u) << out.err;  // the seed, then the failure
  // The log is still closed properly.
  EXPECT_NE(ReadFile(dir.File("Dbg.Log")).find("Goodbye\n"), std::string::npos);
  // A reader that leaves early: more rows than a pipe holds, so a write meets the closed pipe.
  const ProgramResult closed = RunProgram(
      dir.path().string(), "bash -c " + Quote(Quote(kEvolve) +
                                            " --quiet --seed 1 --generations 1000 | head -c 1 > /dev/null; "
                                            "exit ${PIPESTATUS[0]}"));
  EXPECT_EQ(closed.status, 1);
  EXPECT_NE(closed.err.find("cannot write standard output: Broken pipe"), std::string::npos) << closed.err;

  // A CSV that cannot be created is a file not written, like a movie that
  // cannot be: status 1, one line, and nothing run.
  TempDir fresh;
  WriteFile(fresh.File("params.ini"), ParamsWith("TicksPerGeneration", "20"));
  const ProgramResult none = Evolve(fresh, "--seed 1 --generations 3 --csv no/such/dir/run.csv");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err, "vexlora-evolve: cannot write no/such/dir/run.csv: No such file or directory\n");
  EXPECT_FALSE(std::filesystem::exists(fresh.File("Dbg.Log"))) << "the run started";
}
