// vexlora-evolve: the World in fast mode without a window, one CSV row per
// generation. Reads and writes the same files as the window program.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "behaviour/genome_file.h"
#include "behaviour/run_record.h"
#include "common/progress_line.h"
#include "common/file_io.h"
#include "genetics/weight_file.h"
#include "params/params.h"
#include "startup/run_csv.h"
#include "startup/startup.h"
#include "tools/command_line.h"
#include "tools/number_option.h"
#include "world/world.h"

#ifdef VEXLORA_HAVE_RENDER
#include "render/arena_view.h"
#include "render/surface.h"
#endif
#ifdef VEXLORA_HAVE_MOVIE
#include "movie/arena_movie.h"
#endif
#ifdef VEXLORA_HAVE_CHARTS
#include "behaviour/history_picture.h"
#include "chart/output.h"
#endif

namespace {

constexpr int kBadUsage = 2;
// A failed tick, or a result that could not be written whole.
constexpr int kFailed = 1;

struct Options {
  int generations = 100;
  std::optional<std::uint32_t> seed;
  std::string params = "params.ini";
  std::string csv;
  std::string picture;
  bool quiet = false;
  std::string movie;
  std::string movieGenerations = "last";
  int movieEvery = 1;
  bool movieSensors = false;
  std::string behaviour;
  std::string bestGenomes;
};

// False when the text did not reach the stream; errno says why.
bool WriteHeader(std::FILE* out) { return std::fprintf(out, "%s\n", kRunCsvHeader) >= 0; }

bool WriteRow(std::FILE* out, const World& w) {
  const GeneticAlgorithm& ga = *w.pGA;
  return std::fprintf(out, "%d,%.17g,%.17g,%.17g,%d,%d,%.17g,%.17g,%.17g,%.17g,%d,%d\n", w.iGeneration - 1, ga.dBestFitness,
               ga.dWorstFitness, ga.dTotalFitness / ga.iPopulationSize, ga.iBestIndex, ga.iWorstIndex,
               w.dBestFitnessRollingAvg, w.dAvgFitnessRollingAvg, w.dComposite, w.dBestComposite, w.iWins,
               w.iNumSaves) >= 0;
}

void ShowProgress(int done, int total, double seconds) {
  const ProgressFigures f{done, total, "generations", done, total - done, seconds};
  std::fprintf(stderr, "\r%s\033[K", ProgressLine(f).c_str());
  std::fflush(stderr);
}

int Fail(const std::string& line) {
  std::fprintf(stderr, "vexlora-evolve: %s\n", line.c_str());
  return kBadUsage;
}

// A result that did not reach its file: the run counts as failed.
int Lost(const std::string& file, const std::string& why) {
  std::fprintf(stderr, "vexlora-evolve: cannot write %s: %s\n", file.c_str(), why.c_str());
  return kFailed;
}

// The line refusing --behaviour and --best-genomes, or "". A file the run
// writes must not be named twice, nor be the run's own weight file.
std::string CheckRecordOptions(const Options& opt) {
  if (opt.behaviour.empty() && opt.bestGenomes.empty()) return "";
#ifdef VEXLORA_HAVE_CHARTS
  if (!opt.behaviour.empty() && PictureFormatOf(opt.behaviour) == PictureFormat::kUnknown)
    return "--behaviour " + opt.behaviour + ": the picture's name must end in .png or .svg";
  if (!opt.behaviour.empty() && opt.generations < 1) return "--behaviour needs at least one generation";
  const std::string behaviourNumbers = opt.behaviour.empty() ? "" : HistoryCsvPath(opt.behaviour);
#else
  const std::string behaviourNumbers;
#endif
  struct Output {
    std::string name, path;
    bool recorded;  // written by --behaviour or --best-genomes
  };
  const std::vector<Output> outputs = {
      {"--csv", opt.csv, false},
      {"--picture", opt.picture, false},
      {"--movie", opt.movie, false},
      {"--behaviour", opt.behaviour, true},
      {"--behaviour's numbers", behaviourNumbers, true},
      {"--best-genomes", opt.bestGenomes, true},
      {"the run's weight file", kWeightFileName, false},
  };
  auto same = [](const std::string& a, const std::string& b) {
    std::error_code ignored;
    return std::filesystem::weakly_canonical(std::filesystem::absolute(a, ignored), ignored) ==
           std::filesystem::weakly_canonical(std::filesystem::absolute(b, ignored), ignored);
  };
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      const Output& a = outputs[i];
      const Output& b = outputs[j];
      if ((a.recorded || b.recorded) && !a.path.empty() && !b.path.empty() && same(a.path, b.path))
        return a.name + " and " + b.name + " both name " + b.path;
    }
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away (a closed pipe) is a result not written: the
  // write fails and is reported like a full disk, rather than the signal
  // ending the run without a word.
  std::signal(SIGPIPE, SIG_IGN);
  Options opt;
  CLI::App app{"Runs Vexlora's evolution without a window and prints one CSV row per generation.",
               "vexlora-evolve"};
  app.add_option("--generations", opt.generations, "generations to run (default 100)")->check(WholeNumber(0, INT32_MAX));
  app.add_option("--seed", opt.seed, "seed of the random sequence (default: the current time)")
      ->check(WholeNumber(0, UINT32_MAX));
  app.add_option("--params", opt.params, "parameter file (default params.ini)");
  app.add_option("--csv", opt.csv, "write the CSV to this file instead of standard output");
  app.add_option("--picture", opt.picture, "write the statistics panel after the last generation as a PNG");
  app.add_flag("--quiet", opt.quiet, "no progress bar");
#ifdef VEXLORA_HAVE_MOVIE
  CLI::Option* movieOption =
      app.add_option("--movie", opt.movie, "record the arena of chosen generations as an animated GIF");
  app.add_option("--movie-generations", opt.movieGenerations,
                 "generations in the movie: numbers, ranges a-b and last, joined by commas (default last)")
      ->needs(movieOption);
  app.add_option("--movie-every", opt.movieEvery, "a frame every K-th tick (default 1)")->needs(movieOption);
  app.add_flag("--movie-sensors", opt.movieSensors, "the sensor line in the movie, as after V")->needs(movieOption);
#endif
#ifdef VEXLORA_HAVE_CHARTS
  app.add_option("--behaviour", opt.behaviour,
                 "after the run, draw what each generation's best network does, as FILE.png or FILE.svg, and "
                 "its numbers as FILE.csv");
#endif
  app.add_option("--best-genomes", opt.bestGenomes,
                 "after the run, write each generation's best genome to this file, one a generation, in the "
                 "format of AllWeights.bin");
  // Builds without giflib or cairo (the web build) leave those options out, and say so.
  std::string missing;
#ifndef VEXLORA_HAVE_MOVIE
  missing += " --movie, --movie-generations, --movie-every and --movie-sensors (they need giflib)";
#endif
#ifndef VEXLORA_HAVE_CHARTS
  missing += std::string(missing.empty() ? "" : ";") + " --behaviour (it needs cairo)";
#endif
  if (!missing.empty()) app.footer("Not in this build:" + missing + ".");
  app.set_version_flag("--version", std::string("vexlora-evolve ") + VEXLORA_VERSION, "print the version and exit");
  if (const auto done = ParseCommandLine(app, argc, argv, Fail)) return *done;
#ifndef VEXLORA_HAVE_RENDER
  if (!opt.picture.empty()) return Fail("--picture needs the drawing, which this build does not have");
#endif
#ifdef VEXLORA_HAVE_MOVIE
  ArenaMovie movie;
  const MovieOptions movieOptions{opt.movie, opt.movieGenerations, opt.movieEvery, opt.movieSensors};
  if (const std::string line = ArenaMovie::Check(movieOptions, opt.generations); !opt.movie.empty() && !line.empty())
    return Fail(line);
#endif

  if (const std::string line = CheckRecordOptions(opt); !line.empty()) return Fail(line);

  if (const auto problem = LoadStartupParams(opt.params)) {
    if (problem->why.empty()) return Fail(problem->message);
    return Fail(problem->message + " (" + opt.params + ": " + problem->why + ")");
  }

#ifdef VEXLORA_HAVE_MOVIE
  if (std::string line; !opt.movie.empty() && !movie.Open(movieOptions, opt.generations, line)) {
    std::fprintf(stderr, "vexlora-evolve: %s\n", line.c_str());
    return kFailed;
  }
#endif

  std::FILE* out = stdout;
  const std::string csvName = opt.csv.empty() ? "standard output" : opt.csv;
  if (!opt.csv.empty()) {
    out = std::fopen(opt.csv.c_str(), "w");
    if (!out) return Lost(opt.csv, std::strerror(errno));  // like a movie that cannot be made: status 1
  }

  const std::uint32_t seed = opt.seed ? *opt.seed : static_cast<std::uint32_t>(std::time(nullptr));
  std::fprintf(stderr, "seed: %u\n", seed);
  Simulation run(seed);
  World& world = run.world();
  world.bFastMode = true;
  std::optional<RunRecorder> recorder;
  if (!opt.behaviour.empty() || !opt.bestGenomes.empty()) recorder.emplace(world, opt.generations);

  const bool progress = !opt.quiet && isatty(STDERR_FILENO);
  const auto start = std::chrono::steady_clock::now();
  auto elapsed = [&start] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };

  int status = 0;
  // The first write that fails ends the run: its rows would be lost anyway.
  int writeError = WriteHeader(out) ? 0 : errno;
  double lastShown = -1.0;
  while (writeError == 0 && world.iGeneration < opt.generations) {
    const int before = world.iGeneration;
#ifdef VEXLORA_HAVE_MOVIE
    movie.BeforeUpdate(world);
#endif
    if (recorder) recorder->BeforeUpdate(world);
    if (!world.Update()) {
      status = kFailed;
      break;
    }
    if (recorder) recorder->AfterUpdate(world);
#ifdef VEXLORA_HAVE_MOVIE
    movie.AfterUpdate(world);
#endif
    if (world.iGeneration != before) {
      if (!WriteRow(out, world)) writeError = errno;
      if (progress && (elapsed() - lastShown >= 0.1 || world.iGeneration == opt.generations)) {
        lastShown = elapsed();
        ShowProgress(world.iGeneration, opt.generations, lastShown);
      }
    }
  }
  if (progress) std::fputc('\n', stderr);
  if (writeError == 0 && std::fflush(out) != 0) writeError = errno;
  if (std::fclose(out) != 0 && writeError == 0) writeError = errno;
  if (writeError != 0) return Lost(csvName, std::strerror(writeError));

#ifdef VEXLORA_HAVE_MOVIE
  if (std::string line; status == 0 && !opt.movie.empty() && !movie.Finish(line)) {
    std::fprintf(stderr, "vexlora-evolve: %s\n", line.c_str());
    status = kFailed;
  }
#endif

  if (status == 0 && !opt.bestGenomes.empty()) {
    if (std::string why; !WriteFileAtomically(opt.bestGenomes, GenomeFileBytes(recorder->History().best), &why)) {
      std::fprintf(stderr, "vexlora-evolve: %s\n", why.c_str());
      return kFailed;
    }
  }
#ifdef VEXLORA_HAVE_CHARTS
  if (status == 0 && !opt.behaviour.empty()) {
    const std::string caption = "seed " + std::to_string(seed) + ", " + std::to_string(opt.generations) +
                                (opt.generations == 1 ? " generation" : " generations") + ", " + opt.params;
    // A copy of a critter's network: the run's shape, without drawing a weight.
    if (std::string why; !WriteHistoryPicture(recorder->History(), world.vecCritters[0].Net, caption, opt.behaviour, &why)) {
      std::fprintf(stderr, "vexlora-evolve: %s\n", why.c_str());
      return kFailed;
    }
  }
#endif

#ifdef VEXLORA_HAVE_RENDER
  if (status == 0 && !opt.picture.empty()) {
    Surface surface;
    world.bDrawnThisGeneration = false;
    world.iLastHeaderGeneration = -1;
    surface.FillWhite();
    Render(world, surface);
    if (std::string why; !surface.SavePng(opt.picture, &why)) return Lost(opt.picture, why);
  }
#endif

  return status;
}
