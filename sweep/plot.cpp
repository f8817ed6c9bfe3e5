#include "sweep/plot.h"

#include <cairo-svg.h>
#include <cairo.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numbers>
#include <regex>

#include "sweep/file_io.h"

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

constexpr const char* kFont = "DejaVu Sans";
constexpr double kTitleSize = 19;
constexpr double kTextSize = 13;
constexpr double kTickSize = 12;

struct Colour {
  double r, g, b;
};

// A qualitative palette that stays apart on white; after ten the colours
// come again, dashed.
constexpr Colour kPalette[] = {
    {0.122, 0.467, 0.706}, {1.000, 0.498, 0.055}, {0.173, 0.627, 0.173}, {0.839, 0.153, 0.157},
    {0.580, 0.404, 0.741}, {0.549, 0.337, 0.294}, {0.890, 0.467, 0.761}, {0.498, 0.498, 0.498},
    {0.737, 0.741, 0.133}, {0.090, 0.745, 0.812},
};
constexpr int kPaletteSize = static_cast<int>(sizeof kPalette / sizeof kPalette[0]);
constexpr double kBandAlpha = 0.18;

Colour SeriesColour(int index) { return kPalette[index % kPaletteSize]; }

void SetSeriesDash(cairo_t* cr, int index) {
  const int round = index / kPaletteSize;
  if (round == 0) {
    cairo_set_dash(cr, nullptr, 0, 0);
  } else if (round == 1) {
    const double dash[] = {8, 4};
    cairo_set_dash(cr, dash, 2, 0);
  } else {
    const double dash[] = {2, 3};
    cairo_set_dash(cr, dash, 2, 0);
  }
}

// ---- cairo objects that free themselves ----

struct SurfaceFree {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextFree {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct FontOptionsFree {
  void operator()(cairo_font_options_t* o) const { cairo_font_options_destroy(o); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceFree>;
using Context = std::unique_ptr<cairo_t, ContextFree>;

// Unhinted outlines and metrics: text has the same size and place in the
// PNG and the SVG, whatever the desktop's font settings.
void SetFont(cairo_t* cr, double size, bool bold) {
  std::unique_ptr<cairo_font_options_t, FontOptionsFree> options(cairo_font_options_create());
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options.get());
  cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
}

double TextWidth(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  return extents.x_advance;
}

enum class Align { kLeft, kCentre, kRight };

void ShowText(cairo_t* cr, const std::string& text, double x, double baseline, Align align) {
  double left = x;
  if (align == Align::kCentre) left -= TextWidth(cr, text) / 2;
  if (align == Align::kRight) left -= TextWidth(cr, text);
  cairo_move_to(cr, left, baseline);
  cairo_show_text(cr, text.c_str());
}

// ---- Axes ----

// A range cut at round steps (1, 2, 2.5 or 5 times a power of ten).
struct Axis {
  double lo = 0;
  double hi = 1;
  double step = 1;
};

double RoundStep(double raw) {
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double scaled = raw / magnitude;
  const double factor = scaled <= 1 ? 1 : scaled <= 2 ? 2 : scaled <= 2.5 ? 2.5 : scaled <= 5 ? 5 : 10;
  return factor * magnitude;
}

// The value axis: the data range widened to whole steps.
Axis ValueAxis(double lo, double hi) {
  if (!(lo <= hi)) {  // no data
    lo = 0;
    hi = 1;
  }
  if (hi - lo < 1e-9 * std::max(1.0, std::fabs(hi))) {
    const double pad = std::max(0.5, std::fabs(hi) * 0.05);
    lo -= pad;
    hi += pad;
  }
  Axis axis;
  axis.step = RoundStep((hi - lo) / 5);
  axis.lo = std::floor(lo / axis.step + 1e-9) * axis.step;
  axis.hi = std::ceil(hi / axis.step - 1e-9) * axis.step;
  return axis;
}

// The generation axis: exactly the generations drawn, ticks at whole steps.
Axis GenerationAxis(int first, int last) {
  Axis axis;
  axis.lo = first;
  axis.hi = last;
  if (last <= first) {  // one generation: in the middle
    axis.lo = first - 1;
    axis.hi = first + 1;
  }
  axis.step = std::max(1.0, RoundStep((axis.hi - axis.lo) / 8));
  if (axis.step == 2.5) axis.step = 2;
  return axis;
}

// Tick values of an axis: whole multiples of the step within its range.
std::vector<double> Ticks(const Axis& axis) {
  std::vector<double> ticks;
  const double first = std::ceil(axis.lo / axis.step - 1e-9);
  for (double k = first;; k += 1) {
    const double value = k * axis.step;
    if (value > axis.hi + axis.step * 1e-9) break;
    ticks.push_back(value);
  }
  return ticks;
}

// Enough decimals to tell the ticks apart, no more.
std::string TickLabel(double value, double step) {
  int decimals = 0;
  while (decimals < 6 && std::fabs(step * std::pow(10.0, decimals) - std::round(step * std::pow(10.0, decimals))) > 1e-6)
    ++decimals;
  if (std::fabs(value) < step * 1e-9) value = 0;  // no "-0"
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// ---- The picture ----

struct Box {
  double left, top, right, bottom;
};

struct Panel {
  Box box;
  Axis x, y;
  double X(double generation) const { return box.left + (generation - x.lo) / (x.hi - x.lo) * (box.right - box.left); }
  double Y(double value) const { return box.bottom - (value - y.lo) / (y.hi - y.lo) * (box.bottom - box.top); }
};

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
  return GenerationAxis(first, last);
}

void DrawPanelFrame(cairo_t* cr, const Panel& panel, const std::string& valueName) {
  const Box& b = panel.box;
  cairo_set_line_width(cr, 1);
  cairo_set_dash(cr, nullptr, 0, 0);

  // Grid lines at every tick, then the frame over them.
  cairo_set_source_rgb(cr, 0.90, 0.90, 0.90);
  for (double v : Ticks(panel.y)) {
    const double y = std::round(panel.Y(v)) + 0.5;
    cairo_move_to(cr, b.left, y);
    cairo_line_to(cr, b.right, y);
  }
  for (double g : Ticks(panel.x)) {
    const double x = std::round(panel.X(g)) + 0.5;
    cairo_move_to(cr, x, b.top);
    cairo_line_to(cr, x, b.bottom);
  }
  cairo_stroke(cr);

  cairo_set_source_rgb(cr, 0.25, 0.25, 0.25);
  cairo_rectangle(cr, b.left + 0.5, b.top + 0.5, b.right - b.left - 1, b.bottom - b.top - 1);
  cairo_stroke(cr);

  // Ticks outside the frame, with their labels.
  SetFont(cr, kTickSize, false);
  for (double v : Ticks(panel.y)) {
    const double y = std::round(panel.Y(v)) + 0.5;
    cairo_move_to(cr, b.left, y);
    cairo_line_to(cr, b.left - 5, y);
    cairo_stroke(cr);
    ShowText(cr, TickLabel(v, panel.y.step), b.left - 9, y + kTickSize * 0.36, Align::kRight);
  }
  for (double g : Ticks(panel.x)) {
    const double x = std::round(panel.X(g)) + 0.5;
    cairo_move_to(cr, x, b.bottom);
    cairo_line_to(cr, x, b.bottom + 5);
    cairo_stroke(cr);
    ShowText(cr, TickLabel(g, panel.x.step), x, b.bottom + 8 + kTickSize, Align::kCentre);
  }

  // The value's name, upright along the left edge.
  SetFont(cr, kTextSize, false);
  cairo_save(cr);
  cairo_translate(cr, 24, (b.top + b.bottom) / 2);
  cairo_rotate(cr, -std::numbers::pi / 2);
  ShowText(cr, valueName, 0, 0, Align::kCentre);
  cairo_restore(cr);
}

void DrawSeries(cairo_t* cr, const Panel& panel, const PlotRequest& request, Values mean, Values halfWidth) {
  const Box& b = panel.box;
  cairo_save(cr);
  cairo_rectangle(cr, b.left + 1, b.top + 1, b.right - b.left - 2, b.bottom - b.top - 2);
  cairo_clip(cr);

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
  Surface scratch(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  Context cr(cairo_create(scratch.get()));
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
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);

  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  SetFont(cr, kTitleSize, true);
  const std::string title = "Vexlora sweep: " + Plural(request.runsPerVariant, "run", "runs") + " per variant, " +
                            Plural(request.generations, "generation", "generations");
  ShowText(cr, title, kWidth / 2, 32, Align::kCentre);
  cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
  SetFont(cr, kTextSize, false);
  ShowText(cr,
           "line: mean over the runs; band: its 95 % confidence interval, mean \u00b1 t\u00b7sd/\u221an "
           "(Student's t, n \u2212 1 degrees of freedom)",
           kWidth / 2, 56, Align::kCentre);

  DrawPanelFrame(cr, layout.average, "Rolling average score");
  DrawSeries(cr, layout.average, request, &PlotSeries::averageMean, &PlotSeries::averageHalfWidth);
  cairo_set_source_rgb(cr, 0.25, 0.25, 0.25);
  DrawPanelFrame(cr, layout.best, "Rolling best score");
  DrawSeries(cr, layout.best, request, &PlotSeries::bestMean, &PlotSeries::bestHalfWidth);

  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  SetFont(cr, kTextSize, false);
  ShowText(cr, "Generation", (kPlotLeft + kPlotRight) / 2, layout.best.box.bottom + 42, Align::kCentre);
  DrawLegend(cr, layout, request);
}

// ---- Output ----

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

bool RenderPng(const Layout& layout, const PlotRequest& request, std::string* png, std::string* why) {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(kWidth),
                                             static_cast<int>(layout.height)));
  Context cr(cairo_create(surface.get()));
  Draw(cr.get(), layout, request);
  cairo_status_t status = cairo_status(cr.get());
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png_stream(surface.get(), AppendBytes, png);
  if (status != CAIRO_STATUS_SUCCESS) {
    *why = std::string("drawing the PNG: ") + cairo_status_to_string(status);
    return false;
  }
  return true;
}

// cairo numbers some SVG elements with a counter shared by the whole
// process; numbered afresh in order of appearance, the same picture is the
// same text however many were drawn before it.
std::string RenumberSurfaceIds(const std::string& svg) {
  static const std::regex kId(R"(\bsurface(\d+))");
  std::vector<std::string> seen;
  std::string out;
  auto last = svg.cbegin();
  for (std::sregex_iterator it(svg.begin(), svg.end(), kId), end; it != end; ++it) {
    const std::string number = (*it)[1];
    auto found = std::find(seen.begin(), seen.end(), number);
    if (found == seen.end()) found = seen.insert(seen.end(), number);
    out.append(last, svg.cbegin() + it->position());
    out += "surface" + std::to_string(found - seen.begin() + 1);
    last = svg.cbegin() + it->position() + it->length();
  }
  out.append(last, svg.cend());
  return out;
}

bool RenderSvg(const Layout& layout, const PlotRequest& request, std::string* svg, std::string* why) {
  std::string text;
  cairo_status_t status;
  {
    Surface surface(cairo_svg_surface_create_for_stream(AppendBytes, &text, kWidth, layout.height));
    cairo_svg_surface_restrict_to_version(surface.get(), CAIRO_SVG_VERSION_1_1);
    cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);  // the PNG's size in a browser
    {
      Context cr(cairo_create(surface.get()));
      Draw(cr.get(), layout, request);
      status = cairo_status(cr.get());
    }
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    *why = std::string("drawing the SVG: ") + cairo_status_to_string(status);
    return false;
  }
  *svg = RenumberSurfaceIds(text);
  return true;
}

}  // namespace

bool WriteSummaryPlots(const PlotRequest& request, const std::string& pngPath, const std::string& svgPath,
                       std::string* why) {
  std::string ignored;
  if (why == nullptr) why = &ignored;
  const Layout layout = Lay(request);
  std::string png;
  std::string svg;
  return RenderPng(layout, request, &png, why) && RenderSvg(layout, request, &svg, why) &&
         WriteFileAtomically(pngPath, png, why) && WriteFileAtomically(svgPath, svg, why);
}
