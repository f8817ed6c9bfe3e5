#include "behaviour/curve_panel.h"

#include <cmath>

#include "chart/text.h"
#include "params/params.h"

namespace {

// Samples are 1/64 apart; each heat map cell reaches half way to the next.
constexpr double kHalfCell = 1.0 / 128;

// A value that is no number (a network of NaN weights) leaves a gap.
void AddCurve(cairo_t* cr, const Panel& panel, std::span<const double> directions, std::span<const double> values) {
  cairo_new_path(cr);
  for (std::size_t i = 0; i < directions.size() && i < values.size(); ++i) {
    if (std::isfinite(values[i]))
      cairo_line_to(cr, panel.X(values[i]), panel.Y(directions[i]));
    else
      cairo_new_sub_path(cr);
  }
}

}  // namespace

Axis DirectionAxis() { return Axis{-1 - kHalfCell, 1 + kHalfCell, 0.5}; }

Axis TurnAxis() { return FixedAxis(-Params.MaxTurnPerTick, Params.MaxTurnPerTick, 6); }

Axis SpeedAxis() { return FixedAxis(0, std::sqrt(2.0), 7); }

void DrawCurvePanel(cairo_t* cr, const Panel& scaled, const CurveSet& curves, Motor motor, int chosen,
                    const std::string& xName) {
  // A little room beyond the ends of the scale, so that a curve held at an
  // end (a turn at the cut) shows beside the frame rather than under it.
  Panel panel = scaled;
  const double room = (panel.x.hi - panel.x.lo) * 0.03;
  panel.x.lo -= room;
  panel.x.hi += room;
  DrawPanelFrame(cr, panel, "", panel.box.left);
  auto values = [&](int g) { return motor == Motor::kTurn ? curves.Turn(g) : curves.Speed(g); };

  cairo_save(cr);
  ClipToPanel(cr, panel);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, 1);
  cairo_set_source_rgba(cr, 0.45, 0.45, 0.45, 0.35);
  for (int g = 0; g < curves.Count(); ++g) {
    if (g == chosen) continue;
    AddCurve(cr, panel, curves.directions, values(g));
    cairo_stroke(cr);
  }
  if (chosen >= 0 && chosen < curves.Count()) {
    cairo_set_line_width(cr, 2.5);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
    AddCurve(cr, panel, curves.directions, values(chosen));
    cairo_stroke(cr);
  }
  cairo_restore(cr);

  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  DrawXName(cr, panel, xName);
}
