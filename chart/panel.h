#pragma once

#include <cairo.h>

#include <string>

#include "chart/axis.h"

// A rectangle of the picture, in pixels (one SVG unit each).
struct Box {
  double left, top, right, bottom;
};

// A framed plotting area and the axes that map values into it.
struct Panel {
  Box box;
  Axis x, y;
  double X(double value) const { return box.left + (value - x.lo) / (x.hi - x.lo) * (box.right - box.left); }
  double Y(double value) const { return box.bottom - (value - y.lo) / (y.hi - y.lo) * (box.bottom - box.top); }
};

// Grid lines at every tick, the frame over them, ticks outside the frame
// with their labels, and the y axis' name upright, centred on nameX: the
// grid light grey, the rest dark grey.
void DrawPanelFrame(cairo_t* cr, const Panel& panel, const std::string& yName, double nameX);

// The frame and the ticks without grid lines, for a panel whose inside is
// filled (a heat map, a colour bar): the x axis ticked when xTicks is set,
// the y axis on the right when yOnRight is set, else on the left.
void DrawPanelAxes(cairo_t* cr, const Panel& panel, bool xTicks, bool yOnRight);

// Restricts drawing to the inside of the frame (cairo_save first, restore after).
void ClipToPanel(cairo_t* cr, const Panel& panel);

// The name of the x axis, centred under the panel's tick labels.
void DrawXName(cairo_t* cr, const Panel& panel, const std::string& name);

// A picture's white ground and its heading, centred on a picture `width`
// wide: the title bold, a grey line of text under it.
void DrawHeading(cairo_t* cr, double width, const std::string& title, const std::string& caption);
