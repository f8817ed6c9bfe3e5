#include "chart/panel.h"

#include <cmath>

#include "chart/text.h"

namespace {

constexpr double kTitleSize = 19;
constexpr double kCaptionSize = 13;
constexpr double kTickSize = 12;
constexpr double kNameSize = 13;
constexpr double kTickLength = 5;
constexpr double kFrameGrey = 0.25;  // the frame, ticks and their texts

void DrawTicks(cairo_t* cr, const Panel& panel, bool xTicks, bool yOnRight) {
  const Box& b = panel.box;
  SetFont(cr, kTickSize, false);
  for (double v : Ticks(panel.y)) {
    const double y = std::round(panel.Y(v)) + 0.5;
    const double edge = yOnRight ? b.right : b.left;
    const double out = yOnRight ? kTickLength : -kTickLength;
    cairo_move_to(cr, edge, y);
    cairo_line_to(cr, edge + out, y);
    cairo_stroke(cr);
    if (yOnRight)
      ShowText(cr, TickLabel(v, panel.y.step), edge + 9, y + kTickSize * 0.36, Align::kLeft);
    else
      ShowText(cr, TickLabel(v, panel.y.step), edge - 9, y + kTickSize * 0.36, Align::kRight);
  }
  if (!xTicks) return;
  for (double g : Ticks(panel.x)) {
    const double x = std::round(panel.X(g)) + 0.5;
    cairo_move_to(cr, x, b.bottom);
    cairo_line_to(cr, x, b.bottom + kTickLength);
    cairo_stroke(cr);
    ShowText(cr, TickLabel(g, panel.x.step), x, b.bottom + 8 + kTickSize, Align::kCentre);
  }
}

void DrawFrame(cairo_t* cr, const Box& b) {
  cairo_rectangle(cr, b.left + 0.5, b.top + 0.5, b.right - b.left - 1, b.bottom - b.top - 1);
  cairo_stroke(cr);
}

}  // namespace

void DrawPanelFrame(cairo_t* cr, const Panel& panel, const std::string& yName, double nameX) {
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

  cairo_set_source_rgb(cr, kFrameGrey, kFrameGrey, kFrameGrey);
  DrawFrame(cr, b);
  DrawTicks(cr, panel, true, false);

  SetFont(cr, kNameSize, false);
  ShowUprightText(cr, yName, nameX, (b.top + b.bottom) / 2);
}

void DrawPanelAxes(cairo_t* cr, const Panel& panel, bool xTicks, bool yOnRight) {
  cairo_set_source_rgb(cr, kFrameGrey, kFrameGrey, kFrameGrey);
  cairo_set_line_width(cr, 1);
  cairo_set_dash(cr, nullptr, 0, 0);
  DrawFrame(cr, panel.box);
  DrawTicks(cr, panel, xTicks, yOnRight);
}

void ClipToPanel(cairo_t* cr, const Panel& panel) {
  const Box& b = panel.box;
  cairo_rectangle(cr, b.left + 1, b.top + 1, b.right - b.left - 2, b.bottom - b.top - 2);
  cairo_clip(cr);
}

void DrawXName(cairo_t* cr, const Panel& panel, const std::string& name) {
  SetFont(cr, kNameSize, false);
  ShowText(cr, name, (panel.box.left + panel.box.right) / 2, panel.box.bottom + 42, Align::kCentre);
}

void DrawHeading(cairo_t* cr, double width, const std::string& title, const std::string& caption) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  SetFont(cr, kTitleSize, true);
  ShowText(cr, title, width / 2, 32, Align::kCentre);
  cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
  SetFont(cr, kCaptionSize, false);
  ShowText(cr, caption, width / 2, 56, Align::kCentre);
}
