// vexlora-inspect: what the networks in a file of genomes do. Reads an
// AllWeights.bin, or what vexlora-evolve --best-genomes wrote, with the
// network shape of params.ini, and draws every genome's turn and speed over
// the sensed direction and one genome's network, or prints the curves.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "behaviour/curves.h"
#include "behaviour/genome_file.h"
#include "behaviour/genome_picture.h"
#include "chart/output.h"
#include "critter/neural_net.h"
#include "startup/startup.h"
#include "tools/command_line.h"
#include "tools/number_option.h"

namespace {

constexpr int kBadUsage = 2;
constexpr int kFailed = 1;

struct Options {
  std::string genomes;
  std::string params = "params.ini";
  std::optional<int> genome;
  std::string output;
  bool csv = false;
};

int Fail(const std::string& line) {
  std::fprintf(stderr, "vexlora-inspect: %s\n", line.c_str());
  return kBadUsage;
}

// The default picture: the genome file's name, its extension replaced by
// .png, in the current directory.
std::string DefaultOutput(const std::string& genomes) {
  std::string name = genomes.substr(genomes.rfind('/') + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  if (name.empty() || name == "." || name == "..") name = "genomes";
  return name + ".png";
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  CLI::App app{"Draws what the networks in a file of genomes (AllWeights.bin, or vexlora-evolve --best-genomes) do: "
               "every genome's turn and speed over the sensed direction, and one genome's network.",
               "vexlora-inspect"};
  app.add_option("FILE", opt.genomes, "the genomes: headerless little-endian doubles, genome after genome")
      ->required();
  app.add_option("--params", opt.params, "the parameter file that gives the network's shape (default params.ini)");
  app.add_option("--genome", opt.genome, "the genome to draw bold and whose network to draw, from 0 (default 0)")
      ->check(WholeNumber(0, INT32_MAX));
  CLI::Option* output = app.add_option(
      "-o,--output", opt.output,
      "the picture, PNG or SVG by its name (default: FILE's name with .png, in the current directory)");
  app.add_flag("--csv", opt.csv,
               "print the curves as CSV (genome,direction,turn,speed) on standard output instead, every genome's or "
               "only --genome's")
      ->excludes(output);
  app.set_version_flag("--version", std::string("vexlora-inspect ") + VEXLORA_VERSION, "print the version and exit");
  if (const auto done = ParseCommandLine(app, argc, argv, Fail)) return *done;

  if (!opt.csv && opt.output.empty()) opt.output = DefaultOutput(opt.genomes);
  if (!opt.csv && PictureFormatOf(opt.output) == PictureFormat::kUnknown)
    return Fail(opt.output + ": the picture's name must end in .png or .svg");

  if (const auto problem = LoadStartupParams(opt.params)) {
    if (problem->why.empty()) return Fail(problem->message);
    return Fail(problem->message + " (" + opt.params + ": " + problem->why + ")");
  }
  NeuralNet net;
  if (const std::string problem = CurveProblem(net); !problem.empty()) return Fail(opt.params + ": " + problem);

  std::vector<double> weights;
  if (std::string why; !ReadGenomeFile(opt.genomes, net.WeightCount(), weights, why))
    return Fail(opt.genomes + ": " + why);
  const auto perGenome = static_cast<std::size_t>(net.WeightCount());
  const auto count = static_cast<long long>(weights.size() / perGenome);
  const int chosen = opt.genome.value_or(0);
  if (chosen >= count) {
    return Fail(opt.genomes + " holds " + std::to_string(count) + (count == 1 ? " genome" : " genomes") +
                " of " + opt.params + "'s shape (0 to " + std::to_string(count - 1) + "): there is no genome " +
                std::to_string(chosen));
  }

  std::string why;
  if (opt.csv) {
    std::span<const double> shown = weights;
    if (opt.genome) shown = shown.subspan(static_cast<std::size_t>(chosen) * perGenome, perGenome);
    if (!WriteGenomeCsv(shown, opt.genome ? chosen : 0, net, stdout, &why)) {
      std::fprintf(stderr, "vexlora-inspect: cannot write standard output: %s\n", why.c_str());
      return kFailed;
    }
    return 0;
  }
  const GenomeFileView view{opt.genomes, weights, chosen};
  if (!WriteGenomePicture(view, net, opt.output, &why)) {
    std::fprintf(stderr, "vexlora-inspect: %s\n", why.c_str());
    return kFailed;
  }
  return 0;
}
