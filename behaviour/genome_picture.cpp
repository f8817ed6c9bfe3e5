#include "behaviour/genome_picture.h"

#include <cairo.h>

#include <cerrno>
#include <cstring>

#include "behaviour/curve_panel.h"
#include "behaviour/curves.h"
#include "behaviour/network_drawing.h"
#include "chart/output.h"
#include "chart/text.h"
#include "common/file_io.h"
#include "params/params.h"

namespace {

constexpr int kWidth = 1040;
constexpr double kTextSize = 13;
constexpr double kCurvesTop = 104;
constexpr double kCurvesHeight = 300;
constexpr double kNetworkTop = kCurvesTop + kCurvesHeight + 110;
constexpr double kNetworkHeight = 330;
// More faint curves would only make a grey sheet (and a huge SVG).
constexpr int kMostCurves = 1000;

std::string Plural(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "1 input, 1 hidden layer of 6, 2 outputs"
std::string ShapeText(const NeuralNet& net) {
  std::string text = Plural(net.iInputCount, "input", "inputs") + ", ";
  if (net.iHiddenLayerCount > 0)
    text += Plural(net.iHiddenLayerCount, "hidden layer", "hidden layers") + " of " +
            std::to_string(net.iHiddenLayerSize) + ", ";
  else
    text += "no hidden layer, ";
  return text + Plural(net.iOutputCount, "output", "outputs");
}

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

}  // namespace

bool WriteGenomePicture(const GenomeFileView& view, NeuralNet net, const std::string& picturePath, std::string* why) {
  if (const std::string problem = CurveProblem(net); !problem.empty()) {
    *why = problem;
    return false;
  }
  const auto n = static_cast<std::size_t>(net.WeightCount());
  const int count = static_cast<int>(view.weights.size() / n);
  const int stride = (count + kMostCurves - 1) / kMostCurves;
  CurveSet curves;
  int chosenCurve = -1;
  for (int g = 0; g < count; ++g) {
    if (g % stride != 0 && g != view.chosen) continue;
    if (g == view.chosen) chosenCurve = curves.Count();
    SampleGenomes(net, view.weights.subspan(static_cast<std::size_t>(g) * n, n), curves, why);
  }
  const std::span<const double> chosen = view.weights.subspan(static_cast<std::size_t>(view.chosen) * n, n);

  const Panel turn{{86, kCurvesTop, 486, kCurvesTop + kCurvesHeight}, TurnAxis(), DirectionAxis()};
  const Panel speed{{600, kCurvesTop, 1000, kCurvesTop + kCurvesHeight}, SpeedAxis(), DirectionAxis()};
  const Box network{40, kNetworkTop, 1000, kNetworkTop + kNetworkHeight};
  const int height = static_cast<int>(network.bottom + 50);
  std::string others = count > 1 ? ", the other " + Plural(count - 1, "genome", "genomes") + " faint" : "";
  if (stride > 1) others += " (one in " + std::to_string(stride) + " drawn)";

  const Drawing draw = [&](cairo_t* cr) {
    DrawHeading(cr, kWidth, view.name + ": genome " + std::to_string(view.chosen) + " of " + std::to_string(count),
                ShapeText(net) + "; BiasInput " + Number(Params.BiasInput) + ", MaxTurnPerTick " +
                    Number(Params.MaxTurnPerTick));

    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    SetFont(cr, kTextSize, true);
    ShowText(cr, "What it does: genome " + std::to_string(view.chosen) + " bold" + others, turn.box.left,
             kCurvesTop - 12, Align::kLeft);
    DrawCurvePanel(cr, turn, curves, Motor::kTurn, chosenCurve, kTurnName);
    DrawCurvePanel(cr, speed, curves, Motor::kSpeed, chosenCurve, kSpeedName);
    cairo_set_source_rgb(cr, 0.25, 0.25, 0.25);
    SetFont(cr, kTextSize, false);
    ShowUprightText(cr, "direction (+ clockwise)", 24, (turn.box.top + turn.box.bottom) / 2);

    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    SetFont(cr, kTextSize, true);
    ShowText(cr, "Its network: genome " + std::to_string(view.chosen), turn.box.left, kNetworkTop - 12, Align::kLeft);
    SetFont(cr, kTextSize, false);
    cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
    ShowText(cr, "turn = (o0 \u2212 o1)\u00b7\u03c0 cut to \u00b1MaxTurnPerTick, speed = \u221a((1 \u2212 o0) + (1 \u2212 o1))",
             1000, kNetworkTop - 12, Align::kRight);
    DrawNetwork(cr, network, net, chosen);
  };

  std::string picture;
  return RenderPicture(picturePath, kWidth, height, draw, &picture, why) && WriteFileAtomically(picturePath, picture, why);
}

bool WriteGenomeCsv(std::span<const double> weights, int firstGenome, NeuralNet net, std::FILE* out,
                    std::string* why) {
  if (const std::string problem = CurveProblem(net); !problem.empty()) {
    if (why != nullptr) *why = problem;
    return false;
  }
  const auto n = static_cast<std::size_t>(net.WeightCount());
  bool written = std::fputs("genome,direction,turn,speed\n", out) >= 0;
  CurveSet curves;
  for (std::size_t g = 0; written && (g + 1) * n <= weights.size(); ++g) {
    curves.turn.clear();
    curves.speed.clear();
    SampleGenomes(net, weights.subspan(g * n, n), curves, why);
    for (std::size_t i = 0; written && i < curves.directions.size(); ++i)
      written = std::fprintf(out, "%d,%.17g,%.17g,%.17g\n", firstGenome + static_cast<int>(g), curves.directions[i],
                             curves.turn[i], curves.speed[i]) >= 0;
  }
  if (written && std::fflush(out) != 0) written = false;
  if (!written && why != nullptr) *why = std::strerror(errno);
  return written;
}
