#pragma once

#include <cairo.h>

#include <functional>
#include <memory>
#include <string>

// A picture drawn once by a function onto whichever surface: PNG or SVG.
// The same drawing always gives the same bytes.

struct CairoSurfaceFree {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoContextFree {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceFree>;
using CairoContext = std::unique_ptr<cairo_t, CairoContextFree>;

using Drawing = std::function<void(cairo_t*)>;

// The drawing on an opaque RGB image of width x height pixels, as PNG
// bytes; false with why when cairo fails.
bool RenderPng(int width, int height, const Drawing& draw, std::string* png, std::string* why);

// The drawing as an SVG document of width x height pixels.
bool RenderSvg(double width, double height, const Drawing& draw, std::string* svg, std::string* why);

// Picture formats by the file name's extension, in any case.
enum class PictureFormat { kPng, kSvg, kUnknown };
PictureFormat PictureFormatOf(const std::string& path);

// The drawing as the format the path names (Render first, for its size).
bool RenderPicture(const std::string& path, int width, int height, const Drawing& draw, std::string* bytes,
                   std::string* why);
