#include "chart/output.h"

#include <cairo-svg.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <vector>

namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
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

bool EndsWith(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  return std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

}  // namespace

bool RenderPng(int width, int height, const Drawing& draw, std::string* png, std::string* why) {
  CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  CairoContext cr(cairo_create(surface.get()));
  draw(cr.get());
  cairo_status_t status = cairo_status(cr.get());
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png_stream(surface.get(), AppendBytes, png);
  if (status != CAIRO_STATUS_SUCCESS) {
    *why = std::string("drawing the PNG: ") + cairo_status_to_string(status);
    return false;
  }
  return true;
}

bool RenderSvg(double width, double height, const Drawing& draw, std::string* svg, std::string* why) {
  std::string text;
  cairo_status_t status;
  {
    CairoSurface surface(cairo_svg_surface_create_for_stream(AppendBytes, &text, width, height));
    cairo_svg_surface_restrict_to_version(surface.get(), CAIRO_SVG_VERSION_1_1);
    cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);  // the PNG's size in a browser
    {
      CairoContext cr(cairo_create(surface.get()));
      draw(cr.get());
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

PictureFormat PictureFormatOf(const std::string& path) {
  if (EndsWith(path, ".png")) return PictureFormat::kPng;
  if (EndsWith(path, ".svg")) return PictureFormat::kSvg;
  return PictureFormat::kUnknown;
}

bool RenderPicture(const std::string& path, int width, int height, const Drawing& draw, std::string* bytes,
                   std::string* why) {
  switch (PictureFormatOf(path)) {
    case PictureFormat::kPng:
      return RenderPng(width, height, draw, bytes, why);
    case PictureFormat::kSvg:
      return RenderSvg(width, height, draw, bytes, why);
    case PictureFormat::kUnknown:
      break;
  }
  *why = path + ": the name must end in .png or .svg";
  return false;
}
