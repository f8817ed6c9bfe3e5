#include "behaviour/history_picture.h"

#include <cairo.h>
#include <unistd.h>

#include <cstdio>
#include <span>
#include <vector>

#include "behaviour/curve_panel.h"
#include "behaviour/curves.h"
#include "chart/colour.h"
#include "chart/output.h"
#include "chart/text.h"
#include "common/file_io.h"

namespace {

// ---- Geometry, in pixels ----

constexpr int kWidth = 1040;
constexpr double kMapLeft = 86;
constexpr double kMapRight = 600;
constexpr double kCurvesLeft = 660;
constexpr double kCurvesRight = 880;
constexpr double kBarLeft = 918;
constexpr double kBarRight = 934;
constexpr double kFirstRowTop = 104;
constexpr double kRowHeight = 230;
constexpr double kRowGap = 92;
constexpr double kNameX = 24;
constexpr double kTextSize = 13;

struct Row {
  Panel map, curves;
  Box bar;
};

Row RowAt(double top, int generations) {
  Row row;
  const Axis directions = DirectionAxis();
  Axis gens = WholeAxis(0, generations - 1);
  gens.lo = -0.5;  // each generation one cell wide, centred on its tick
  gens.hi = generations - 0.5;
  row.map = Panel{{kMapLeft, top, kMapRight, top + kRowHeight}, gens, directions};
  row.curves = Panel{{kCurvesLeft, top, kCurvesRight, top + kRowHeight}, Axis{}, directions};
  row.bar = Box{kBarLeft, top, kBarRight, top + kRowHeight};
  return row;
}

// The heat maps' values: a column a generation, or for long runs the mean
// of a run of generations, so the picture keeps a readable size.
struct HeatMaps {
  int columns = 0;
  int generationsPerColumn = 1;
  int rows = 0;
  std::vector<double> turn, speed;  // column after column
};

constexpr int kMostColumns = 2000;

void DrawRow(cairo_t* cr, const Row& row, const HeatMaps& maps, const CurveSet& population, int bestInPopulation,
             Motor motor, const std::string& title, const std::string& curvesTitle) {
  const bool turn = motor == Motor::kTurn;
  const Axis scale = turn ? TurnAxis() : SpeedAxis();
  const ColourMap map = turn ? DivergingColour : SequentialColour;

  DrawHeatMap(cr, row.map.box, maps.columns, maps.rows, turn ? maps.turn : maps.speed, scale, map);
  DrawPanelAxes(cr, row.map, true, false);
  SetFont(cr, kTextSize, false);
  ShowUprightText(cr, kDirectionName, kNameX, (row.map.box.top + row.map.box.bottom) / 2);

  Panel curves = row.curves;
  curves.x = scale;
  DrawCurvePanel(cr, curves, population, motor, bestInPopulation, turn ? kTurnName : kSpeedName);
  DrawColourBar(cr, row.bar, scale, map, turn ? "turn" : "speed");

  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  SetFont(cr, kTextSize, true);
  ShowText(cr, title, row.map.box.left, row.map.box.top - 9, Align::kLeft);
  SetFont(cr, kTextSize, false);
  ShowText(cr, curvesTitle, row.curves.box.left, row.curves.box.top - 9, Align::kLeft);
}

bool WriteRows(std::FILE* out, int generation, int genome, bool best, const CurveSet& curves, int index) {
  const auto turn = curves.Turn(index);
  const auto speed = curves.Speed(index);
  for (std::size_t i = 0; i < curves.directions.size(); ++i) {
    if (std::fprintf(out, "%d,%d,%d,%.17g,%.17g,%.17g\n", generation, genome, best ? 1 : 0, curves.directions[i],
                     turn[i], speed[i]) < 0)
      return false;
  }
  return true;
}

// Samples every generation's best genome and the last population, writing
// the CSV's rows as it goes and gathering the heat maps.
bool SampleHistory(const RunHistory& history, NeuralNet& net, std::FILE* out, HeatMaps& maps, CurveSet& population,
                   std::string* why) {
  if (!SampleGenomes(net, history.lastPopulation, population, why)) return false;
  const int generations = history.Generations();
  const auto n = static_cast<std::size_t>(history.weightsPerGenome);
  maps.rows = static_cast<int>(population.directions.size());
  maps.generationsPerColumn = (generations + kMostColumns - 1) / kMostColumns;
  maps.columns = (generations + maps.generationsPerColumn - 1) / maps.generationsPerColumn;
  const auto cells = static_cast<std::size_t>(maps.columns) * static_cast<std::size_t>(maps.rows);
  maps.turn.assign(cells, 0.0);
  maps.speed.assign(cells, 0.0);
  std::vector<int> counts(static_cast<std::size_t>(maps.columns), 0);

  if (std::fputs("generation,genome,best,direction,turn,speed\n", out) < 0) return false;
  CurveSet one;
  for (int g = 0; g < generations; ++g) {
    const int critter = history.bestIndex[static_cast<std::size_t>(g)];
    one.turn.clear();
    one.speed.clear();
    SampleGenomes(net, std::span<const double>(history.best).subspan(static_cast<std::size_t>(g) * n, n), one, why);
    if (g + 1 < generations) {
      if (!WriteRows(out, g, critter, true, one, 0)) return false;
    } else {
      for (int k = 0; k < population.Count(); ++k)
        if (!WriteRows(out, g, k, k == critter, population, k)) return false;
    }
    const auto column = static_cast<std::size_t>(g / maps.generationsPerColumn);
    ++counts[column];
    for (std::size_t i = 0; i < one.directions.size(); ++i) {
      maps.turn[column * one.directions.size() + i] += one.turn[i];
      maps.speed[column * one.directions.size() + i] += one.speed[i];
    }
  }
  for (std::size_t c = 0; c < counts.size(); ++c) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(maps.rows); ++i) {
      maps.turn[c * static_cast<std::size_t>(maps.rows) + i] /= counts[c];
      maps.speed[c * static_cast<std::size_t>(maps.rows) + i] /= counts[c];
    }
  }
  return true;
}

}  // namespace

std::string HistoryCsvPath(const std::string& picturePath) {
  const std::size_t slash = picturePath.rfind('/');
  const std::size_t dot = picturePath.rfind('.');
  const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  return (extension ? picturePath.substr(0, dot) : picturePath) + ".csv";
}

bool WriteHistoryPicture(const RunHistory& history, NeuralNet net, const std::string& caption,
                         const std::string& picturePath, std::string* why) {
  if (const std::string problem = CurveProblem(net); !problem.empty()) {
    *why = picturePath + ": " + problem;
    return false;
  }
  HeatMaps maps;
  CurveSet population;
  const std::string csvPath = HistoryCsvPath(picturePath);
  const bool sampled = WriteFileAtomically(
      csvPath, [&](std::FILE* out) { return SampleHistory(history, net, out, maps, population, why); }, why);
  if (!sampled) return false;

  const int generations = history.Generations();
  const int lastBest = generations > 0 ? history.bestIndex.back() : -1;
  const Row turnRow = RowAt(kFirstRowTop, maps.columns * maps.generationsPerColumn);
  const Row speedRow = RowAt(kFirstRowTop + kRowHeight + kRowGap, maps.columns * maps.generationsPerColumn);
  const int height = static_cast<int>(speedRow.map.box.bottom + 70);
  const std::string curvesTitle = "generation " + std::to_string(generations - 1) + ": critter " +
                                  std::to_string(lastBest) + " bold, all " + std::to_string(population.Count()) +
                                  " faint";
  std::string mapsTitle = " of each generation's best network";
  if (maps.generationsPerColumn > 1)
    mapsTitle += " (a column the mean of " + std::to_string(maps.generationsPerColumn) + ")";

  const Drawing draw = [&](cairo_t* cr) {
    DrawHeading(cr, kWidth, "What the best network of each generation does", caption);

    DrawRow(cr, turnRow, maps, population, lastBest, Motor::kTurn, "Turn" + mapsTitle, curvesTitle);
    DrawRow(cr, speedRow, maps, population, lastBest, Motor::kSpeed, "Speed" + mapsTitle, curvesTitle);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    DrawXName(cr, turnRow.map, "generation");
    DrawXName(cr, speedRow.map, "generation");
  };

  std::string picture;
  if (!RenderPicture(picturePath, kWidth, height, draw, &picture, why) || !WriteFileAtomically(picturePath, picture, why)) {
    unlink(csvPath.c_str());
    return false;
  }
  return true;
}
