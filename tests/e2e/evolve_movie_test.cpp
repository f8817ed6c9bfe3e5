// vexlora-evolve --movie: the GIF read back with giflib against the arena
// drawn by Render for the same ticks; the run's own files unchanged by
// recording; refusals and files that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/random.h"
#include "params/params.h"
#include "render/arena_view.h"
#include "render/surface.h"
#include "support/temp_dir.h"
#include "tests/e2e/run_program.h"
#include "tests/e2e/runner_text.h"
#include "tests/movie/gif_reader.h"
#include "tests/support/test_params.h"
#include "world/world.h"

namespace fs = std::filesystem;

namespace {

const std::string kEvolve = VEXLORA_EVOLVE;
const std::string kSource = VEXLORA_SOURCE_DIR;
using Pixels = std::vector<std::uint32_t>;

ProgramResult Evolve(const TempDir& dir, const std::string& args) {
  return RunProgram(dir.path().string(), Quote(kEvolve) + " --quiet " + args);
}

std::vector<std::string> Listing(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The log without its date and time lines.
std::string LogWithoutTimes(const std::string& path) {
  std::string kept;
  for (const std::string& line : Lines(ReadFile(path)))
    if (line.find("Date:") == std::string::npos) kept += line + "\n";
  return kept;
}

// The window's arena pictures after the given ticks, from the same seed and
// parameters in this process: the World in fast mode, and in display mode
// for the ticks of `recorded` generations. Keyed by (generation, tick).
std::map<std::pair<int, int>, Pixels> ArenaPictures(const std::string& paramsText, std::uint32_t seed,
                                                    const std::vector<int>& recorded,
                                                    const std::vector<std::pair<int, int>>& wanted, bool sensors) {
  TempDir dir;
  dir.Enter();
  ScopedParams scoped(ParseParams(paramsText));
  SeedRandom(seed);
  World world;
  Surface surface;
  std::map<std::pair<int, int>, Pixels> pictures;
  const int end = *std::max_element(recorded.begin(), recorded.end()) + 1;
  while (world.iGeneration < end) {
    const int generation = world.iGeneration;
    const int tick = world.iTicks;
    const bool display = std::find(recorded.begin(), recorded.end(), generation) != recorded.end() &&
                         tick < Params.TicksPerGeneration;
    world.bFastMode = !display;
    world.bShowSensors = display && sensors;
    EXPECT_TRUE(world.Update());
    if (std::find(wanted.begin(), wanted.end(), std::make_pair(generation, tick)) != wanted.end()) {
      surface.FillWhite();
      Render(world, surface);
      pictures[{generation, tick}] = Pixels(surface.Pixels(), surface.Pixels() + 512 * 512);
    }
  }
  return pictures;
}

int Differing(const Pixels& a, const Pixels& b) {
  int n = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i] ? 1 : 0;
  return n + static_cast<int>(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

}  // namespace

// Generations 1 and 2 of 3, every 3rd tick (667 frames a generation, the
// last lasting 2 ticks), with the sensor line.
TEST(EvolveMovie, FramesAreTheArenaOfTheRecordedTicks) {
  TempDir dir;
  const std::string params = DefaultParamsText();
  WriteFile(dir.File("params.ini"), params);
  const ProgramResult r = Evolve(
      dir, "--seed 5 --generations 3 --movie m.gif --movie-generations 1-last --movie-every 3 --movie-sensors");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "seed: 5\n");
  EXPECT_EQ(Listing(dir), (std::vector<std::string>{"Dbg.Log", "m.gif", "params.ini"}));

  // (generation, tick) -> frame: the first, a middle and the last tick of
  // generation 1, and the last of generation 2.
  const std::map<std::pair<int, int>, int> frames = {
      {{1, 0}, 0}, {{1, 999}, 333}, {{1, 1998}, 666}, {{2, 1998}, 1333}};
  std::vector<std::pair<int, int>> wanted;
  for (const auto& [key, frame] : frames) wanted.push_back(key);
  const auto pictures = ArenaPictures(params, 5, {1, 2}, wanted, true);
  ASSERT_EQ(pictures.size(), frames.size());

  GifFileInfo info;
  std::map<int, Pixels> decoded;
  std::string why;
  ASSERT_TRUE(ReadGif(dir.File("m.gif"), info,
                      [&](const GifImageInfo& image, const Pixels& canvas) {
                        for (const auto& [key, frame] : frames)
                          if (frame == image.index) decoded[frame] = canvas;
                      },
                      why))
      << why;
  EXPECT_EQ(info.version, "GIF89a");
  EXPECT_TRUE(info.loopsForever);
  EXPECT_EQ(info.width, 512);
  EXPECT_EQ(info.height, 512);
  EXPECT_EQ(info.images, 2 * 667);
  // 4000 ticks at 60 a second: 66.67 s.
  EXPECT_EQ(info.totalDelay, 6667);
  for (const auto& [key, frame] : frames) {
    ASSERT_EQ(decoded.count(frame), 1u) << "frame " << frame;
    EXPECT_EQ(Differing(decoded[frame], pictures.at(key)), 0)
        << "generation " << key.first << ", tick " << key.second << " (frame " << frame << ")";
  }
}

// Recording touches nothing the run writes: the golden run's CSV, and with
// saves under way the weight file, the log and the picture, byte for byte.
TEST(EvolveMovie, RecordingChangesNoResult) {
  {
    TempDir dir;
    WriteFile(dir.File("params.ini"), DefaultParamsText());
    const ProgramResult r =
        Evolve(dir, "--seed 1 --generations 20 --movie m.gif --movie-generations 0,last --movie-every 4");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, ReadFile(kSource + "/tests/golden/default-seed1-20.csv"));
    GifFileInfo info;
    std::string why;
    ASSERT_TRUE(ReadGif(dir.File("m.gif"), info, [](const GifImageInfo&, const Pixels&) {}, why)) << why;
    EXPECT_EQ(info.images, 2 * 500);
  }

  std::string params = ParamsWith("TicksPerGeneration", "300");
  params = ParamsWith(params, "FungusCount", "500");
  params = ParamsWith(params, "MutationRate", "0.02");
  TempDir plain;
  TempDir recorded;
  WriteFile(plain.File("params.ini"), params);
  WriteFile(recorded.File("params.ini"), params);
  const std::string args = "--seed 3 --generations 6 --picture panel.png";
  const ProgramResult a = Evolve(plain, args);
  const ProgramResult b = Evolve(recorded, args + " --movie m.gif --movie-generations 1-last");
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(b.out, a.out);
  const std::string lastRow = Lines(a.out).back();
  ASSERT_NE(lastRow.substr(lastRow.rfind(',')), ",0") << "no saves: the weight file is not tested";
  EXPECT_EQ(ReadFile(recorded.File("AllWeights.bin")), ReadFile(plain.File("AllWeights.bin")));
  EXPECT_EQ(ReadFile(recorded.File("panel.png")), ReadFile(plain.File("panel.png")));
  EXPECT_EQ(LogWithoutTimes(recorded.File("Dbg.Log")), LogWithoutTimes(plain.File("Dbg.Log")));
}

// Each refused before anything runs: status 2, one line, no files.
TEST(EvolveMovie, BadListsAndTickCountsAreRefused) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"--movie m.gif --movie-every 0", "--movie-every"},
      {"--movie m.gif --movie-every -3", "--movie-every"},
      {"--movie m.gif --movie-every x", "--movie-every"},
      {"--movie m.gif --movie-generations 2,x", "\"x\" is not a generation number"},
      {"--movie m.gif --movie-generations 5", "generation 5 is not reached"},
      {"--movie m.gif --movie-generations 1-9", "generation 9 is not reached"},
      {"--movie m.gif --movie-generations 3-1", "runs backwards"},
      {"--movie m.gif --movie-generations ''", "is not a generation number"},
      {"--movie-every 2", "--movie"},
  };
  for (const auto& [args, text] : cases) {
    TempDir dir;
    WriteFile(dir.File("params.ini"), DefaultParamsText());
    const ProgramResult r = Evolve(dir, "--seed 1 --generations 4 " + args);
    EXPECT_EQ(r.status, 2) << args << ": " << r.err;
    EXPECT_NE(r.err.find(text), std::string::npos) << args << ": " << r.err;
    EXPECT_EQ(Lines(r.err).size(), 1u) << args << ": " << r.err;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_EQ(Listing(dir), std::vector<std::string>{"params.ini"}) << args;
  }
}

// A movie that cannot be written whole: one line naming it and why, a
// failed run, and nothing under its name, nor a temporary.
TEST(EvolveMovie, AFileThatCannotBeWrittenFailsAndLeavesNothing) {
  const std::string params = ParamsWith("TicksPerGeneration", "300");
  {
    TempDir dir;
    WriteFile(dir.File("params.ini"), params);
    const ProgramResult r = Evolve(dir, "--seed 1 --generations 2 --movie no/such/dir/m.gif");
    EXPECT_EQ(r.status, 1) << r.err;
    // Refused before the run starts.
    EXPECT_EQ(r.err, "vexlora-evolve: cannot write no/such/dir/m.gif: No such file or directory\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Listing(dir), std::vector<std::string>{"params.ini"});
  }
  {
    // Files may grow to 64 KiB only: the movie cannot, the CSV and log can.
    TempDir dir;
    WriteFile(dir.File("params.ini"), params);
    const ProgramResult r = RunProgram(dir.path().string(),
                                       "bash -c " + Quote("trap '' XFSZ; ulimit -f 64; exec " + Quote(kEvolve) +
                                                          " --quiet --seed 1 --generations 2 --csv run.csv"
                                                          " --movie m.gif --movie-generations 0-1"));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("vexlora-evolve: cannot write m.gif: File too large\n"), std::string::npos) << r.err;
    EXPECT_EQ(Lines(r.err).size(), 2u) << r.err;
    EXPECT_EQ(Listing(dir), (std::vector<std::string>{"Dbg.Log", "params.ini", "run.csv"}));
  }
}
