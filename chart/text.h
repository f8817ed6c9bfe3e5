#pragma once

#include <cairo.h>

#include <string>

// Text in a chart, in the DejaVu Sans built into the program (font/), with
// unhinted outlines and metrics: the same shapes, size and place in the PNG
// and the SVG, on every machine, whatever fonts and font settings it has.

// Selects the font for the following text.
void SetFont(cairo_t* cr, double size, bool bold);

// How far the text advances.
double TextWidth(cairo_t* cr, const std::string& text);

enum class Align { kLeft, kCentre, kRight };

// Draws the text on the baseline, its left end, middle or right end at x.
void ShowText(cairo_t* cr, const std::string& text, double x, double baseline, Align align);

// Draws the text reading upward, its baseline on x and its middle at height
// middle: the name of an upright axis.
void ShowUprightText(cairo_t* cr, const std::string& text, double x, double middle);
