#include "chart/colour.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "chart/output.h"
#include "chart/text.h"

namespace {

// A qualitative palette that stays apart on white.
constexpr Colour kPalette[] = {
    {0.122, 0.467, 0.706}, {1.000, 0.498, 0.055}, {0.173, 0.627, 0.173}, {0.839, 0.153, 0.157},
    {0.580, 0.404, 0.741}, {0.549, 0.337, 0.294}, {0.890, 0.467, 0.761}, {0.498, 0.498, 0.498},
    {0.737, 0.741, 0.133}, {0.090, 0.745, 0.812},
};
constexpr int kPaletteSize = static_cast<int>(sizeof kPalette / sizeof kPalette[0]);

// Stops of the colour maps, evenly spaced over 0 to 1.
constexpr Colour kDiverging[] = {
    {0.020, 0.188, 0.380}, {0.129, 0.400, 0.675}, {0.263, 0.576, 0.765}, {0.573, 0.773, 0.871},
    {0.969, 0.969, 0.969}, {0.957, 0.647, 0.510}, {0.839, 0.376, 0.302}, {0.698, 0.094, 0.169},
    {0.404, 0.000, 0.122},
};
constexpr Colour kSequential[] = {
    {0.267, 0.005, 0.329}, {0.283, 0.141, 0.458}, {0.254, 0.265, 0.530}, {0.207, 0.372, 0.553},
    {0.164, 0.471, 0.558}, {0.128, 0.567, 0.551}, {0.135, 0.659, 0.518}, {0.267, 0.749, 0.441},
    {0.478, 0.821, 0.318}, {0.741, 0.873, 0.150}, {0.993, 0.906, 0.144},
};

template <std::size_t N>
Colour Interpolate(const Colour (&stops)[N], double t) {
  if (!(t > 0)) return stops[0];
  if (t >= 1) return stops[N - 1];
  const double at = t * (N - 1);
  const auto i = static_cast<std::size_t>(at);
  const double f = at - static_cast<double>(i);
  const Colour& a = stops[i];
  const Colour& b = stops[std::min(i + 1, N - 1)];
  return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f};
}

std::uint32_t Pixel(const Colour& c) {
  auto channel = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  return 0xff000000u | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

// A cell whose value is no number.
constexpr std::uint32_t kNoNumber = 0xff808080u;

}  // namespace

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

Colour DivergingColour(double t) { return Interpolate(kDiverging, t); }
Colour SequentialColour(double t) { return Interpolate(kSequential, t); }

void DrawHeatMap(cairo_t* cr, const Box& box, int columns, int rows, std::span<const double> values,
                 const Axis& scale, ColourMap map) {
  if (columns <= 0 || rows <= 0 || values.size() < static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows))
    return;
  // Each cell a whole number of pixels, as near the box's size as that
  // allows: the picture is then hardly scaled again, which keeps the cells
  // sharp in an SVG viewer too (the SVG names no filter for its images).
  const int cellWidth = std::max(1, static_cast<int>((box.right - box.left) / columns));
  const int cellHeight = std::max(1, static_cast<int>((box.bottom - box.top) / rows));
  const int width = columns * cellWidth;
  const int height = rows * cellHeight;
  CairoSurface cells(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  cairo_surface_flush(cells.get());
  unsigned char* data = cairo_image_surface_get_data(cells.get());
  if (data == nullptr) return;
  const int stride = cairo_image_surface_get_stride(cells.get());
  const double span = scale.hi - scale.lo;
  for (int c = 0; c < columns; ++c) {
    for (int r = 0; r < rows; ++r) {
      const double v = values[static_cast<std::size_t>(c) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(r)];
      const std::uint32_t pixel = std::isnan(v) ? kNoNumber : Pixel(map((v - scale.lo) / span));
      for (int y = (rows - 1 - r) * cellHeight; y < (rows - r) * cellHeight; ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        std::fill(line + c * cellWidth, line + (c + 1) * cellWidth, pixel);
      }
    }
  }
  cairo_surface_mark_dirty(cells.get());

  cairo_save(cr);
  cairo_rectangle(cr, box.left, box.top, box.right - box.left, box.bottom - box.top);
  cairo_clip(cr);
  cairo_translate(cr, box.left, box.top);
  cairo_scale(cr, (box.right - box.left) / width, (box.bottom - box.top) / height);
  cairo_set_source_surface(cr, cells.get(), 0, 0);
  // Sharp cells where they are larger than a pixel; averaged where many
  // share one.
  const bool enlarged = box.right - box.left >= width && box.bottom - box.top >= height;
  cairo_pattern_set_filter(cairo_get_source(cr), enlarged ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint(cr);
  cairo_restore(cr);
}

void DrawColourBar(cairo_t* cr, const Box& box, const Axis& scale, ColourMap map, const std::string& name) {
  constexpr int kSteps = 256;
  std::vector<double> values(kSteps);
  for (int i = 0; i < kSteps; ++i) values[static_cast<std::size_t>(i)] = scale.lo + (scale.hi - scale.lo) * (i + 0.5) / kSteps;
  DrawHeatMap(cr, box, 1, kSteps, values, scale, map);

  const Panel bar{box, Axis{}, scale};
  DrawPanelAxes(cr, bar, false, true);

  double widest = 0;
  SetFont(cr, 12, false);
  for (double v : Ticks(scale)) widest = std::max(widest, TextWidth(cr, TickLabel(v, scale.step)));
  SetFont(cr, 13, false);
  ShowUprightText(cr, name, box.right + 9 + widest + 16, (box.top + box.bottom) / 2);
}
