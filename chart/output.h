#pragma once

#include <cairo.h>

#include <cstdio>
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

// Writes the bytes under PATH.tmp and renames that over PATH, so PATH is
// always absent, the old file or the whole new one. Whatever holds the
// temporary name is removed first, never written through. False with why
// ("PATH: cannot create PATH.tmp: Permission denied") on failure.
bool WriteWhole(const std::string& path, const std::string& bytes, std::string* why);

// The same for a file written piece by piece, such as a picture's numbers:
// write puts the text on the stream and gives false when it cannot go on.
bool WriteWholeStream(const std::string& path, const std::function<bool(std::FILE*)>& write, std::string* why);
