#include "sweep/plot.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "chart/axis.h"
#include "chart/colour.h"
#include "chart/output.h"
#include "chart/panel.h"
#include "chart/text.h"
#include "common/file_io.h"

namespace {

// ---- Geometry of the picture, in pixels (one SVG unit each) ----

constexpr double kWidth = 1000;
constexpr double kPlotLeft = 86;
constexpr double kPlotRight = kWidth - 28;
constexpr double kTopPanelTop = 78;
constexpr double kPanelHeight = 280;
constexpr double kPanelGap = 46;
constexpr double kLegendRowHeight = 22;
constexpr double kLegendSwatch = 28;
constexpr double kLegendColumnGap = 26;
constexpr double kNameX = 24;  // the middle of the panels' upright names

constexpr double kTextSize = 13;

constexpr double kBandAlpha = 0.18;

// ---- The picture ----

using Values = std::vector<double> PlotSeries::*;

// Number of points of a series that have a generation and all four values.
size_t PointCount(const PlotSeries& s) {
  return std::min({s.generations.size(), s.averageMean.size(), s.averageHalfWidth.size(), s.bestMean.size(),
                   s.bestHalfWidth.size()});
}

// Beyond this a value axis would have no room for steps between its ends.
constexpr double kLargestDrawn = 1e100;

bool Drawable(const PlotSeries& s, Values mean, Values halfWidth, size_t i) {
  return std::fabs((s.*mean)[i]) < kLargestDrawn && std::fabs((s.*halfWidth)[i]) < kLargestDrawn;
}

// Runs of consecutive drawable points, [begin, end).
std::vector<std::pair<size_t, size_t>> Stretches(const PlotSeries& s, Values mean, Values halfWidth) {
  std::vector<std::pair<size_t, size_t>> stretches;
  const size_t n = PointCount(s);
  for (size_t i = 0; i < n;) {
    if (!Drawable(s, mean, halfWidth, i)) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < n && Drawable(s, mean, halfWidth, end)) ++end;
    stretches.emplace_back(i, end);
    i = end;
  }
  return stretches;
}

Axis ValueAxisOf(const PlotRequest& request, Values mean, Values halfWidth) {
  double lo = INFINITY;
  double hi = -INFINITY;
  for (const PlotSeries& s : request.series) {
    for (size_t i = 0; i < PointCount(s); ++i) {
      if (!Drawable(s, mean, halfWidth, i)) continue;
      const double m = (s.*mean)[i];
      const double h = std::fabs((s.*halfWidth)[i]);
      lo = std::min(lo, m - h);
      hi = std::max(hi, m + h);
    }
  }
  return ValueAxis(lo, hi);
}

Axis GenerationAxisOf(const PlotRequest& request) {
  int first = 0;
  int last = 0;
  bool any = false;
  for (const PlotSeries& s : request.series) {
    for (size_t i = 0; i < PointCount(s); ++i) {
      first = any ? std::min(first, s.generations[i]) : s.generations[i];
      last = any ? std::max(last, s.generations[i]) : s.generations[i];
      any = true;
    }
  }
  if (!any) last = std::max(1, request.generations);
  return WholeAxis(first, last);
}

void DrawSeries(cairo_t* cr, const Panel& panel, const PlotRequest& request, Values mean, Values halfWidth) {
  cairo_save(cr);
  ClipToPanel(cr, panel);

  // All bands first, so no band hides another variant's line.
  for (size_t k = 0; k < request.series.size(); ++k) {
    const PlotSeries& s = request.series[k];
    if (s.runs < 2) continue;  // one run has no spread: no band
    const Colour c = SeriesColour(static_cast<int>(k));
    cairo_set_source_rgba(cr, c.r, c.g, c.b, kBandAlpha);
    for (auto [begin, end] : Stretches(s, mean, halfWidth)) {
      if (end - begin < 2) continue;
      for (size_t i = begin; i < end; ++i)
        cairo_line_to(cr, panel.X(s.generations[i]), panel.Y((s.*mean)[i] + std::fabs((s.*halfWidth)[i])));
      for (size_t i = end; i-- > begin;)
        cairo_line_to(cr, panel.X(s.generations[i]), panel.Y((s.*mean)[i] - std::fabs((s.*halfWidth)[i])));
      cairo_close_path(cr);
      cairo_fill(cr);
    }
  }

  cairo_set_line_width(cr, 2);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (size_t k = 0; k < request.series.size(); ++k) {
    const PlotSeries& s = request.series[k];
    const Colour c = SeriesColour(static_cast<int>(k));
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    SetSeriesDash(cr, static_cast<int>(k));
    for (auto [begin, end] : Stretches(s, mean, halfWidth)) {
      if (end - begin == 1) {  // a lone point: a dot and its interval
        const double x = panel.X(s.generations[begin]);
        const double h = std::fabs((s.*halfWidth)[begin]);
        cairo_move_to(cr, x, panel.Y((s.*mean)[begin] - h));
        cairo_line_to(cr, x, panel.Y((s.*mean)[begin] + h));
        cairo_stroke(cr);
        cairo_arc(cr, x, panel.Y((s.*mean)[begin]), 3.5, 0, 2 * std::numbers::pi);
        cairo_fill(cr);
        continue;
      }
      for (size_t i = begin; i < end; ++i) cairo_line_to(cr, panel.X(s.generations[i]), panel.Y((s.*mean)[i]));
      cairo_stroke(cr);
    }
  }
  cairo_restore(cr);
}

std::string Plural(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string LegendText(const PlotSeries& s, const PlotRequest& request) {
  std::string text = s.label.empty() ? "all runs" : s.label;
  if (s.runs == 0 && PointCount(s) == 0) return text + "  (no finished run)";
  if (s.runs != request.runsPerVariant) text += "  (" + Plural(s.runs, "run", "runs") + ")";
  return text;
}

// Where everything goes; the legend's rows depend on its texts' widths.
struct Layout {
  Panel average, best;
  double legendTop = 0;
  double legendColumnWidth = 0;
  int legendColumns = 1;
  double height = 0;
};

Layout Lay(const PlotRequest& request) {
  Layout layout;
  layout.average.box = {kPlotLeft, kTopPanelTop, kPlotRight, kTopPanelTop + kPanelHeight};
  const double bestTop = layout.average.box.bottom + kPanelGap;
  layout.best.box = {kPlotLeft, bestTop, kPlotRight, bestTop + kPanelHeight};
  layout.average.x = layout.best.x = GenerationAxisOf(request);
  layout.average.y = ValueAxisOf(request, &PlotSeries::averageMean, &PlotSeries::averageHalfWidth);
  layout.best.y = ValueAxisOf(request, &PlotSeries::bestMean, &PlotSeries::bestHalfWidth);

  // Text is measured on a scratch surface with the same font settings.
  CairoSurface scratch(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  CairoContext cr(cairo_create(scratch.get()));
  SetFont(cr.get(), kTextSize, false);
  double widest = 0;
  for (const PlotSeries& s : request.series) widest = std::max(widest, TextWidth(cr.get(), LegendText(s, request)));
  layout.legendColumnWidth = kLegendSwatch + 8 + widest + kLegendColumnGap;
  const double room = kPlotRight - kPlotLeft + kLegendColumnGap;
  layout.legendColumns = std::max(1, static_cast<int>(room / layout.legendColumnWidth));
  const int count = static_cast<int>(request.series.size());
  layout.legendColumns = std::max(1, std::min(layout.legendColumns, count));
  const int rows = (count + layout.legendColumns - 1) / layout.legendColumns;
  layout.legendTop = layout.best.box.bottom + 58;
  layout.height = std::ceil(layout.legendTop + rows * kLegendRowHeight + 22);
  return layout;
}

void DrawLegend(cairo_t* cr, const Layout& layout, const PlotRequest& request) {
  SetFont(cr, kTextSize, false);
  for (size_t k = 0; k < request.series.size(); ++k) {
    const int column = static_cast<int>(k) % layout.legendColumns;
    const int row = static_cast<int>(k) / layout.legendColumns;
    const double x = kPlotLeft + column * layout.legendColumnWidth;
    const double middle = layout.legendTop + row * kLegendRowHeight + kLegendRowHeight / 2;
    const Colour c = SeriesColour(static_cast<int>(k));
    if (request.series[k].runs >= 2) {
      cairo_set_source_rgba(cr, c.r, c.g, c.b, kBandAlpha);
      cairo_rectangle(cr, x, middle - 6, kLegendSwatch, 12);
      cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    cairo_set_line_width(cr, 2);
    SetSeriesDash(cr, static_cast<int>(k));
    cairo_move_to(cr, x, middle);
    cairo_line_to(cr, x + kLegendSwatch, middle);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    ShowText(cr, LegendText(request.series[k], request), x + kLegendSwatch + 8, middle + kTextSize * 0.36,
             Align::kLeft);
  }
  cairo_set_dash(cr, nullptr, 0, 0);
}

void Draw(cairo_t* cr, const Layout& layout, const PlotRequest& request) {
  const std::string title = "Vexlora sweep: " + Plural(request.runsPerVariant, "run", "runs") + " per variant, " +
                            Plural(request.generations, "generation", "generations");
  DrawHeading(cr, kWidth, title,
              "line: mean over the runs; band: its 95 % confidence interval, mean \u00b1 t\u00b7sd/\u221an "
              "(Student's t, n \u2212 1 degrees of freedom)");

  DrawPanelFrame(cr, layout.average, "Rolling average score", kNameX);
  DrawSeries(cr, layout.average, request, &PlotSeries::averageMean, &PlotSeries::averageHalfWidth);
  cairo_set_source_rgb(cr, 0.25, 0.25, 0.25);
  DrawPanelFrame(cr, layout.best, "Rolling best score", kNameX);
  DrawSeries(cr, layout.best, request, &PlotSeries::bestMean, &PlotSeries::bestHalfWidth);

  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  DrawXName(cr, layout.best, "Generation");
  DrawLegend(cr, layout, request);
}

}  // namespace

bool WriteSummaryPlots(const PlotRequest& request, const std::string& pngPath, const std::string& svgPath,
                       std::string* why) {
  std::string ignored;
  if (why == nullptr) why = &ignored;
  const Layout layout = Lay(request);
  const Drawing draw = [&](cairo_t* cr) { Draw(cr, layout, request); };
  std::string png;
  std::string svg;
  return RenderPng(static_cast<int>(kWidth), static_cast<int>(layout.height), draw, &png, why) &&
         RenderSvg(kWidth, layout.height, draw, &svg, why) && WriteFileAtomically(pngPath, png, why) &&
         WriteFileAtomically(svgPath, svg, why);
}
