// vexlora-evolve --behaviour and --best-genomes, and vexlora-inspect, run as
// real processes: the genomes recorded are the ones the best critters ran
// with, the curves are what their networks do, the run's own files do not
// change, and bad requests are refused.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "critter/critter.h"
#include "params/params.h"
#include "support/temp_dir.h"
#include "tests/e2e/run_program.h"
#include "tests/e2e/runner_text.h"
#include "tests/support/test_params.h"

namespace fs = std::filesystem;

namespace {

const std::string kEvolve = VEXLORA_EVOLVE;
const std::string kInspect = VEXLORA_INSPECT;

ProgramResult Evolve(const TempDir& dir, const std::string& args) {
  return RunProgram(dir.path().string(), Quote(kEvolve) + " --quiet " + args);
}

ProgramResult Inspect(const TempDir& dir, const std::string& args) {
  return RunProgram(dir.path().string(), Quote(kInspect) + " " + args);
}

std::vector<std::string> Listing(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string f; std::getline(in, f, ',');) fields.push_back(f);
  return fields;
}

// A run's CSV column by name, one value a generation.
std::vector<int> Column(const std::string& csv, const std::string& name) {
  const std::vector<std::string> lines = Lines(csv);
  const std::vector<std::string> header = Fields(lines.at(0));
  const auto at = static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
  std::vector<int> values;
  for (std::size_t i = 1; i < lines.size(); ++i) values.push_back(std::stoi(Fields(lines[i]).at(at)));
  return values;
}

std::vector<double> Doubles(const std::string& bytes) {
  std::vector<double> values(bytes.size() / sizeof(double));
  std::memcpy(values.data(), bytes.data(), values.size() * sizeof(double));
  return values;
}

std::string Bytes(const std::vector<double>& values) {
  std::string bytes(values.size() * sizeof(double), '\0');
  std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

std::vector<double> Genome(const std::vector<double>& all, int g, int n) {
  return {all.begin() + static_cast<std::ptrdiff_t>(g) * n, all.begin() + static_cast<std::ptrdiff_t>(g + 1) * n};
}

// The log without its date and time lines.
std::string LogWithoutTimes(const std::string& path) {
  std::string kept;
  for (const std::string& line : Lines(ReadFile(path)))
    if (line.find("Date:") == std::string::npos) kept += line + "\n";
  return kept;
}

// Parameters under which a run saves often and fast.
std::string QuickParams() {
  std::string params = ParamsWith("TicksPerGeneration", "300");
  params = ParamsWith(params, "FungusCount", "500");
  return ParamsWith(params, "MutationRate", "0.02");
}

struct CurvePoint {
  double direction, turn, speed;
};

// The rows of a curves CSV (genome,direction,turn,speed, or with generation
// and best first), by genome, for the rows that pass `keep`.
std::map<int, std::vector<CurvePoint>> CurveRows(const std::string& csv, int genomeField) {
  std::map<int, std::vector<CurvePoint>> rows;
  const std::vector<std::string> lines = Lines(csv);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> f = Fields(lines[i]);
    const auto g = static_cast<std::size_t>(genomeField);
    rows[std::stoi(f.at(g))].push_back({std::stod(f.at(f.size() - 3)), std::stod(f.at(f.size() - 2)),
                                         std::stod(f.at(f.size() - 1))});
  }
  return rows;
}

// What a free critter with these weights does when its network is given the
// direction: its heading's change and the distance it moves in one Move,
// from heading 0 in the open arena.
CurvePoint CritterMove(const std::vector<double>& weights, double direction) {
  Critter critter(0, 100.0, 100.0);
  EXPECT_TRUE(critter.Net.LoadWeights(weights));
  critter.dHeading = 0.0;
  const double in[1] = {direction};
  const std::span<const double> out = critter.Net.Run(in);
  critter.Move(out[0], out[1]);
  return {direction, critter.dHeading, std::hypot(critter.dPosX - 100.0, critter.dPosY - 100.0)};
}

// The number of pixels of each colour of a PNG.
std::map<std::uint32_t, int> ColourCounts(const std::string& path) {
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy);
  EXPECT_EQ(cairo_surface_status(surface.get()), CAIRO_STATUS_SUCCESS) << path;
  std::map<std::uint32_t, int> counts;
  const int width = cairo_image_surface_get_width(surface.get());
  const int height = cairo_image_surface_get_height(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) ++counts[reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xffffffu];
  return counts;
}

// The pixel counts of the colours other than the white background, largest
// first.
std::vector<int> LargestColourAreas(const std::string& path) {
  std::vector<int> areas;
  for (const auto& [colour, count] : ColourCounts(path))
    if (colour != 0xffffffu) areas.push_back(count);
  std::sort(areas.rbegin(), areas.rend());
  return areas;
}

}  // namespace

// For each generation, --best-genomes holds the weights that the critter the
// CSV names in best_index ran with: checked at the generation ends that
// saved AllWeights.bin (which holds the population that ran, after the
// elite), and at generation 0 of a run that starts from a known population.
// The curves of vexlora-inspect and of --behaviour are what a critter with
// those weights does. And neither option changes the run's files.
TEST(Behaviour, BestGenomesAreWhatTheBestCrittersRanWith) {
  const std::string params = QuickParams();
  const ParamsRecord record = ParseParams(params);
  const int n = static_cast<int>(NetworkWeightCount(record));
  const int generations = 12;
  const std::string args = "--seed 3 --generations " + std::to_string(generations);

  TempDir plain;
  TempDir recorded;
  WriteFile(plain.File("params.ini"), params);
  WriteFile(recorded.File("params.ini"), params);
  const ProgramResult a = Evolve(plain, args);
  const ProgramResult b = Evolve(recorded, args + " --best-genomes best.bin --behaviour learned.png");
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(b.out, a.out);
  EXPECT_EQ(ReadFile(recorded.File("AllWeights.bin")), ReadFile(plain.File("AllWeights.bin")));
  EXPECT_EQ(LogWithoutTimes(recorded.File("Dbg.Log")), LogWithoutTimes(plain.File("Dbg.Log")));
  EXPECT_EQ(Listing(recorded), (std::vector<std::string>{"AllWeights.bin", "Dbg.Log", "best.bin", "learned.csv",
                                                         "learned.png", "params.ini"}));

  const std::vector<double> best = Doubles(ReadFile(recorded.File("best.bin")));
  ASSERT_EQ(best.size(), static_cast<std::size_t>(generations * n));
  const std::vector<int> bestIndex = Column(a.out, "best_index");
  const std::vector<int> saves = Column(a.out, "saves");

  // Generation ends that saved: AllWeights.bin is the elite block, then the
  // critters that ran, in order.
  const int elite = record.EliteCount;
  int checked = 0;
  for (int g = 0; g < generations; ++g) {
    if (saves[static_cast<std::size_t>(g)] == (g == 0 ? 0 : saves[static_cast<std::size_t>(g - 1)])) continue;
    const int critter = bestIndex[static_cast<std::size_t>(g)];
    if (critter >= record.CritterCount - elite) continue;  // not in the file
    TempDir upTo;
    WriteFile(upTo.File("params.ini"), params);
    ASSERT_EQ(Evolve(upTo, "--seed 3 --generations " + std::to_string(g + 1)).status, 0);
    const std::vector<double> saved = Doubles(ReadFile(upTo.File("AllWeights.bin")));
    EXPECT_EQ(Genome(best, g, n), Genome(saved, elite + critter, n)) << "generation " << g;
    ++checked;
  }
  EXPECT_GE(checked, 3) << "too few saves to check against";

  // A run that starts from the last save: its first generation ran exactly
  // the file's genomes.
  TempDir again;
  WriteFile(again.File("params.ini"), params);
  WriteFile(again.File("AllWeights.bin"), ReadFile(plain.File("AllWeights.bin")));
  const std::vector<double> start = Doubles(ReadFile(again.File("AllWeights.bin")));
  const ProgramResult c = Evolve(again, "--seed 5 --generations 1 --best-genomes first.bin");
  ASSERT_EQ(c.status, 0) << c.err;
  EXPECT_EQ(Doubles(ReadFile(again.File("first.bin"))), Genome(start, Column(c.out, "best_index").at(0), n));

  // vexlora-inspect's curves of generation 11's best are what a critter with
  // those weights does; --behaviour's rows of it are the same numbers.
  ScopedParams scoped(record);
  const ProgramResult curves = Inspect(recorded, "best.bin --csv --genome 11");
  ASSERT_EQ(curves.status, 0) << curves.err;
  const std::vector<CurvePoint> shown = CurveRows(curves.out, 0).at(11);
  ASSERT_EQ(shown.size(), 129u);
  EXPECT_EQ(shown.front().direction, -1.0);
  EXPECT_EQ(shown.back().direction, 1.0);
  for (const CurvePoint& p : shown) {
    const CurvePoint moved = CritterMove(Genome(best, 11, n), p.direction);
    EXPECT_EQ(p.turn, moved.turn) << p.direction;
    EXPECT_NEAR(p.speed, moved.speed, 1e-12) << p.direction;
  }
  std::map<int, std::vector<CurvePoint>> learned;
  for (const std::string& line : Lines(ReadFile(recorded.File("learned.csv")))) {
    const std::vector<std::string> f = Fields(line);
    if (f.at(0) == "11" && f.at(2) == "1") learned[0].push_back({std::stod(f[3]), std::stod(f[4]), std::stod(f[5])});
  }
  ASSERT_EQ(learned[0].size(), shown.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(learned[0][i].turn, shown[i].turn);
    EXPECT_EQ(learned[0][i].speed, shown[i].speed);
  }
}

// Networks of zeros give o0 = o1 = 0.5 at every direction: no turn, speed 1,
// so both heat maps are one colour each, unlike those of an evolved run.
TEST(Behaviour, ZeroNetworksGiveFlatCurvesAndUniformHeatMaps) {
  const std::string params = ParamsWith(QuickParams(), "MutationRate", "0");
  const ParamsRecord record = ParseParams(params);
  const auto n = static_cast<std::size_t>(NetworkWeightCount(record));
  TempDir dir;
  WriteFile(dir.File("params.ini"), params);
  WriteFile(dir.File("AllWeights.bin"), Bytes(std::vector<double>(n * static_cast<std::size_t>(record.CritterCount), 0.0)));
  const ProgramResult r = Evolve(dir, "--seed 1 --generations 3 --behaviour zero.png --best-genomes zero.bin");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Doubles(ReadFile(dir.File("zero.bin"))), std::vector<double>(3 * n, 0.0));
  const std::vector<std::string> rows = Lines(ReadFile(dir.File("zero.csv")));
  EXPECT_EQ(rows.at(0), "generation,genome,best,direction,turn,speed");
  // Two generations of the best genome, then the last one's whole population.
  EXPECT_EQ(rows.size(), 1 + (2 + static_cast<std::size_t>(record.CritterCount)) * 129);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const std::vector<std::string> f = Fields(rows[i]);
    EXPECT_EQ(f.at(4), "0") << rows[i];
    EXPECT_EQ(f.at(5), "1") << rows[i];
  }
  const std::vector<int> flat = LargestColourAreas(dir.File("zero.png"));
  ASSERT_GE(flat.size(), 2u);
  EXPECT_GT(flat[1], 100000) << "two uniform heat maps, each of one colour";

  TempDir evolved;
  WriteFile(evolved.File("params.ini"), QuickParams());
  ASSERT_EQ(Evolve(evolved, "--seed 1 --generations 3 --behaviour e.png").status, 0);
  EXPECT_LT(LargestColourAreas(evolved.File("e.png")).at(0), 100000);

  // vexlora-inspect says the same of the zero genome: flat curves.
  const ProgramResult curves = Inspect(dir, "zero.bin --csv");
  ASSERT_EQ(curves.status, 0) << curves.err;
  const auto byGenome = CurveRows(curves.out, 0);
  ASSERT_EQ(byGenome.size(), 3u);
  for (const auto& [genome, points] : byGenome) {
    for (const CurvePoint& p : points) {
      EXPECT_EQ(p.turn, 0.0);
      EXPECT_EQ(p.speed, 1.0);
    }
  }
}

// A network set by hand, with no hidden layer: output 0 is
// sigmoid(ln 3 x direction), 1/4, 1/2 and 3/4 at -1, 0 and 1; output 1 is
// sigmoid(-ln 3) = 1/4 everywhere (BiasInput -1). So the turn (o0 - o1) x pi
// is 0, pi/4 and pi/2, the last cut to MaxTurnPerTick 1, and the speed
// sqrt((1 - o0) + (1 - o1)) is sqrt(3/2), sqrt(5)/2 and 1.
TEST(Behaviour, HandMadeNetworkGivesItsNumbers) {
  std::string params = ParamsWith("HiddenLayerCount", "0");
  params = ParamsWith(params, "MaxTurnPerTick", "1");
  TempDir dir;
  WriteFile(dir.File("params.ini"), params);
  const double ln3 = std::log(3.0);
  WriteFile(dir.File("two.bin"), Bytes({0, 0, 0, 0, ln3, 0, 0, ln3}));
  const ProgramResult r = Inspect(dir, "two.bin --csv");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(r.out).at(0), "genome,direction,turn,speed");
  const auto rows = CurveRows(r.out, 0);
  ASSERT_EQ(rows.size(), 2u);
  const std::map<double, std::pair<double, double>> known = {
      {-1.0, {0.0, std::sqrt(1.5)}}, {0.0, {std::numbers::pi / 4, std::sqrt(5.0) / 2}}, {1.0, {1.0, 1.0}}};
  int found = 0;
  for (const CurvePoint& p : rows.at(1)) {
    const auto k = known.find(p.direction);
    if (k == known.end()) continue;
    ++found;
    EXPECT_NEAR(p.turn, k->second.first, 1e-12) << p.direction;
    EXPECT_NEAR(p.speed, k->second.second, 1e-12) << p.direction;
  }
  EXPECT_EQ(found, 3);
  for (const CurvePoint& p : rows.at(0)) {
    EXPECT_EQ(p.turn, 0.0);
    EXPECT_EQ(p.speed, 1.0);
  }

  // --genome alone in the CSV keeps its number; the picture by default is
  // the file's name with .png, here; -o names an SVG.
  const ProgramResult one = Inspect(dir, "two.bin --csv --genome 1");
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(Lines(one.out).size(), 1u + 129u);
  EXPECT_EQ(Lines(one.out).at(1).substr(0, 2), "1,");
  ASSERT_EQ(Inspect(dir, "two.bin --genome 1").status, 0);
  ASSERT_EQ(Inspect(dir, "two.bin -o two.svg").status, 0);
  EXPECT_EQ(Listing(dir), (std::vector<std::string>{"params.ini", "two.bin", "two.png", "two.svg"}));
  EXPECT_EQ(ReadFile(dir.File("two.png")).substr(1, 3), "PNG");
  EXPECT_NE(ReadFile(dir.File("two.svg")).find("<svg"), std::string::npos);
}

// Each refusal: one line naming the file and what is wrong, status 2,
// nothing written.
TEST(Behaviour, BadRequestsAreRefused) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), DefaultParamsText());
  WriteFile(dir.File("two-inputs.ini"), ParamsWith("InputCount", "2"));
  const auto n = static_cast<std::size_t>(NetworkWeightCount(DefaultParamsRecord()));
  WriteFile(dir.File("pop.bin"), Bytes(std::vector<double>(3 * n, 0.5)));
  WriteFile(dir.File("short.bin"), Bytes(std::vector<double>(3 * n - 1, 0.5)));
  WriteFile(dir.File("empty.bin"), "");
  fs::create_directory(dir.File("folder.bin"));
  const std::vector<std::string> before = Listing(dir);

  const std::vector<std::pair<std::string, std::string>> inspect = {
      {"missing.bin", "missing.bin: No such file or directory"},
      {"folder.bin", "folder.bin: is a directory"},
      {"short.bin", "short.bin: is 616 bytes, not a whole number of genomes of 26 weights"},
      {"empty.bin", "empty.bin: is empty"},
      {"pop.bin --genome 3", "pop.bin holds 3 genomes"},
      {"pop.bin --genome -1", "--genome"},
      {"pop.bin --params missing.ini", "missing.ini"},
      {"pop.bin --params two-inputs.ini", "two-inputs.ini: InputCount is 2"},
      {"pop.bin -o pop.jpg", "pop.jpg: the picture's name must end in .png or .svg"},
      {"pop.bin --csv -o x.png", "--csv"},
  };
  for (const auto& [args, text] : inspect) {
    const ProgramResult r = Inspect(dir, args);
    EXPECT_EQ(r.status, 2) << args << ": " << r.err;
    EXPECT_NE(r.err.find(text), std::string::npos) << args << ": " << r.err;
    EXPECT_EQ(Lines(r.err).size(), 1u) << args << ": " << r.err;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_EQ(Listing(dir), before) << args;
  }

  const std::vector<std::pair<std::string, std::string>> evolve = {
      {"--generations 1 --behaviour run.txt", "must end in .png or .svg"},
      {"--generations 0 --behaviour run.png", "--behaviour needs at least one generation"},
      {"--generations 1 --behaviour run.png --csv run.csv", "--csv and --behaviour's numbers both name run.csv"},
      {"--generations 1 --best-genomes AllWeights.bin",
       "--best-genomes and the run's weight file both name AllWeights.bin"},
      {"--generations 1 --behaviour a.svg --best-genomes ./a.csv",
       "--behaviour's numbers and --best-genomes both name ./a.csv"},
  };
  for (const auto& [args, text] : evolve) {
    const ProgramResult r = Evolve(dir, "--seed 1 " + args);
    EXPECT_EQ(r.status, 2) << args << ": " << r.err;
    EXPECT_NE(r.err.find(text), std::string::npos) << args << ": " << r.err;
    EXPECT_EQ(Lines(r.err).size(), 1u) << args << ": " << r.err;
    EXPECT_EQ(Listing(dir), before) << args;
  }
}

// A picture, its numbers or the genomes that cannot be written: status 1, a
// line naming the file, and no file under its name or its temporary name.
TEST(Behaviour, UnwritableOutputsLeaveNothing) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), QuickParams());
  const auto n = static_cast<std::size_t>(NetworkWeightCount(ParseParams(QuickParams())));
  WriteFile(dir.File("pop.bin"), Bytes(std::vector<double>(2 * n, 0.25)));

  const std::vector<std::pair<std::string, std::string>> evolve = {
      {"--behaviour no/such/dir/b.png", "no/such/dir/b"},
      {"--behaviour taken.png", "taken.csv"},
      {"--best-genomes no/such/dir/best.bin", "no/such/dir/best.bin"},
  };
  for (const auto& [args, text] : evolve) {
    TempDir run;
    WriteFile(run.File("params.ini"), QuickParams());
    fs::create_directory(run.File("taken.csv"));
    const ProgramResult r = Evolve(run, "--seed 3 --generations 1 " + args);
    EXPECT_EQ(r.status, 1) << args << ": " << r.err;
    EXPECT_NE(r.err.find(text), std::string::npos) << args << ": " << r.err;
    EXPECT_EQ(Lines(r.err).size(), 2u) << args << ": " << r.err;  // the seed, then the failure
    EXPECT_EQ(Listing(run), (std::vector<std::string>{"Dbg.Log", "params.ini", "taken.csv"})) << args;
    EXPECT_TRUE(fs::is_empty(run.File("taken.csv")));
  }

  const std::vector<std::string> before = Listing(dir);
  for (const std::string out : {"no/such/dir/p.png", "pop.bin/p.svg"}) {
    const ProgramResult r = Inspect(dir, "pop.bin -o " + out);
    EXPECT_EQ(r.status, 1) << out << ": " << r.err;
    EXPECT_NE(r.err.find(out), std::string::npos) << r.err;
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
    EXPECT_EQ(Listing(dir), before) << out;
  }
}
