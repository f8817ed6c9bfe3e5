#pragma once

#include <cairo.h>

#include <span>
#include <string>

#include "chart/axis.h"
#include "chart/panel.h"

struct Colour {
  double r, g, b;
};

// Lines that must stay apart on white: ten colours, then the same ten
// dashed, then dotted.
Colour SeriesColour(int index);
void SetSeriesDash(cairo_t* cr, int index);

// Colour maps over t from 0 to 1 (values beyond are held at the ends).
// Diverging: blue through near white at 0.5 to red, for signed values.
Colour DivergingColour(double t);
// Sequential: dark violet through teal to yellow, light rising with t.
Colour SequentialColour(double t);

using ColourMap = Colour (*)(double t);

// Values on a grid of columns x rows (column after column, row 0 lowest),
// filled into the box: each value one cell of its colour on the scale from
// scale.lo (t = 0) to scale.hi (t = 1); grey where a value is no number.
void DrawHeatMap(cairo_t* cr, const Box& box, int columns, int rows, std::span<const double> values,
                 const Axis& scale, ColourMap map);

// A colour bar for a heat map, upright in the box, lo at the bottom, its
// ticks and their labels on the right and its name upright beyond them.
void DrawColourBar(cairo_t* cr, const Box& box, const Axis& scale, ColourMap map, const std::string& name);
