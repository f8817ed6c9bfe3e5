#include "render/arena_view.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <span>
#include <tuple>
#include <string_view>

#include "geometry/arena.h"
#include "geometry/matrix2d.h"
#include "geometry/point2d.h"
#include "params/params.h"
#include "world/fungus_transform.h"

namespace {

// A line of text built in place, so a frame allocates nothing for its texts.
class TextLine {
 public:
  TextLine& Add(std::string_view text) {
    const std::size_t n = std::min(text.size(), kCapacity - length_);
    std::copy_n(text.data(), n, buffer_.data() + length_);
    length_ += n;
    return *this;
  }

  TextLine& AddInt(int value) {
    const auto result = std::to_chars(buffer_.data() + length_, buffer_.data() + kCapacity, value);
    if (result.ec == std::errc()) length_ = static_cast<std::size_t>(result.ptr - buffer_.data());
    return *this;
  }

  // What a default string stream writes for a float: %g with 6 digits.
  TextLine& AddFloat(float value) {
    const std::size_t room = kCapacity - length_ + 1;  // the terminator may use the spare byte
    const int n = std::snprintf(buffer_.data() + length_, room, "%.*g", 6, static_cast<double>(value));
    if (n > 0) length_ += std::min(static_cast<std::size_t>(n), room - 1);
    return *this;
  }

  std::string_view View() const { return {buffer_.data(), length_}; }

 private:
  static constexpr std::size_t kCapacity = 191;
  std::array<char, kCapacity + 1> buffer_{};
  std::size_t length_ = 0;
};

// Truncation toward zero, when an int can hold the result. A value no int
// holds (NaN, infinite, far off) has no pixel: converting it would be
// undefined, so the figure or point that needs it is not drawn.
bool ToPixel(double value, int& pixel) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return false;
  pixel = static_cast<int>(value);
  return true;
}

// Both shapes have four vertices; a placed copy lives on the stack.
using Figure = std::array<Point2D, 4>;

std::span<Point2D> CopyShape(const Shape& shape, Figure& figure) {
  const std::size_t n = std::min(shape.size(), figure.size());
  std::copy_n(shape.begin(), n, figure.begin());
  return {figure.data(), n};
}

// The closed outline through the vertices, back to the first. A figure with
// a vertex that has no pixel (a critter gone to NaN) is left out whole.
void DrawOutline(Surface& surface, std::span<const Point2D> vertices) {
  if (vertices.empty()) return;
  std::array<int, 2 * std::tuple_size_v<Figure>> pixels{};
  const std::size_t n = std::min(vertices.size(), std::tuple_size_v<Figure>);
  for (std::size_t v = 0; v < n; ++v)
    if (!ToPixel(vertices[v].x, pixels[2 * v]) || !ToPixel(vertices[v].y, pixels[2 * v + 1])) return;
  surface.MoveTo(pixels[0], pixels[1]);
  for (std::size_t v = 1; v < n; ++v) surface.LineTo(pixels[2 * v], pixels[2 * v + 1]);
  surface.LineTo(pixels[0], pixels[1]);
}

bool OnSurface(int x, int y) { return x >= 0 && x < Surface::kWidth && y >= 0 && y < Surface::kHeight; }

// From the last elite critter to its target marker, with the pen the last
// critter left. Only when an elite critter exists: EliteCount 0 would name
// critter -1.
void RenderSensorLine(const World& world, Surface& surface) {
  const int k = Params.EliteCount - 1;
  if (k < 0 || k >= world.iNumCritters) return;
  const Critter& critter = world.vecCritters[static_cast<std::size_t>(k)];
  int x = -1;
  int y = -1;
  GetSensorPoints(critter, x, y);
  int fromX = 0;
  int fromY = 0;
  if (!OnSurface(x, y) || !ToPixel(critter.dPosX, fromX) || !ToPixel(critter.dPosY, fromY)) return;
  surface.MoveTo(fromX, fromY);
  surface.LineTo(x, y);
}

void RenderHeader(World& world, Surface& surface) {
  TextLine text;
  text.Add("Generation: ").AddInt(world.iGeneration);
  if (world.iNumSaves != 0) text.Add(",  Num. Saves: ").AddInt(world.iNumSaves);
  surface.TextOut(5, 0, text.View());
  world.iLastHeaderGeneration = world.iGeneration;
}

// The central block's border: the outline's pixels on both axes.
void RenderBlock(Surface& surface) {
  // A line stops short of its end pixel, so each runs one pixel past the corner.
  constexpr int lo = kOutlineLow, hi = kOutlineHigh, past = kOutlineHigh + 1;
  surface.MoveTo(lo, lo);
  surface.LineTo(past, lo);
  surface.MoveTo(lo, hi);
  surface.LineTo(past, hi);
  surface.MoveTo(lo, lo);
  surface.LineTo(lo, past);
  surface.MoveTo(hi, lo);
  surface.LineTo(hi, past);
}

}  // namespace

void Render(World& world, Surface& surface) {
  // In fast mode the header is redrawn only when the generation changed.
  if (!world.bFastMode || world.iGeneration != world.iLastHeaderGeneration) RenderHeader(world, surface);

  if (!world.bFastMode) {
    world.bDrawnThisGeneration = true;
    world.hOldPen = surface.SelectPen(world.hGreenPen);
    RenderBlock(surface);
    RenderFungi(world, surface);
    surface.SelectPen(world.hRedPen);
    for (int i = 0; i < world.iNumCritters; ++i) RenderCritter(world, surface, i);
    if (world.bShowSensors) RenderSensorLine(world, surface);
    surface.SelectPen(world.hOldPen);
  } else if (!world.bDrawnThisGeneration) {
    RenderStats(world, surface);
    world.bDrawnThisGeneration = true;
  }
}

bool PaintAfterTick(World& world, Surface& surface) {
  if (world.bFastMode && world.bDrawnThisGeneration) return false;
  surface.FillWhite();
  Render(world, surface);
  return true;
}

void RenderFungi(World& world, Surface& surface) {
  Figure figure;
  for (const Vec2D& fungus : world.vecFungi) {
    const std::span<Point2D> placed = CopyShape(world.vecFungusShape, figure);
    FungusWorldTransform(placed, fungus.x, fungus.y);
    DrawOutline(surface, placed);
  }
}

void RenderCritter(World& world, Surface& surface, int i) {
  const Pen pen = i < Params.EliteCount ? world.hRedPen : world.hOldPen;
  const Critter& critter = world.vecCritters[static_cast<std::size_t>(i)];
  Figure figure;

  surface.SelectPen(pen);
  std::span<Point2D> placed = CopyShape(world.vecCritterShape, figure);
  critter.WorldTransform(placed, 2.0);
  DrawOutline(surface, placed);

  placed = CopyShape(world.vecCritterShape, figure);
  critter.WorldTransform(placed, 4.0);
  DrawOutline(surface, placed);

  surface.SelectPen(pen);
  placed = CopyShape(world.vecCritterShape, figure);
  critter.WorldTransform(placed, 6.0);
  DrawOutline(surface, placed);
}

void GetSensorPoints(const Critter& critter, int& x, int& y) {
  // Only the x of the marker tells whether there is one; NaN counts as none.
  x = -1;
  y = -1;
  int px = 0;
  int py = 0;
  if (critter.dMarkerX >= 0.0 && ToPixel(std::floor(critter.dMarkerX + 0.5), px) &&
      ToPixel(std::floor(critter.dMarkerY + 0.5), py)) {
    x = px;
    y = py;
  }
}

void RenderStats(World& world, Surface& surface) {
  if (world.iGeneration != 0) {
    const double percent =
        (static_cast<double>(world.iWins) / world.iGeneration - world.dChanceWinRate) * 100.0;
    TextLine text;
    text.Add("Best win percent: ").AddFloat(static_cast<float>(percent));
    surface.TextOut(5, 20, text.View());
  }
  {
    TextLine text;
    text.Add("Best Score: ")
        .AddFloat(static_cast<float>(world.dBestFitnessRollingAvg))
        .Add(",  Average Score: ")
        .AddFloat(static_cast<float>(world.dAvgFitnessRollingAvg))
        .Add(",  Best/Avg Ratio: ")
        .AddFloat(static_cast<float>(world.dBestAvgRollingRatio));
    surface.TextOut(5, 40, text.View());
  }
  {
    TextLine text;
    text.Add("Composite Score: ")
        .AddFloat(static_cast<float>(world.dComposite))
        .Add(",  Best Composite Score: ")
        .AddFloat(static_cast<float>(world.dBestComposite));
    surface.TextOut(5, 60, text.View());
  }

  // The graph spans the width whatever the number of generations.
  const float step = static_cast<float>(static_cast<double>(world.iGraphWidth) / (world.iGeneration + 1));
  const int bottom = world.iGraphHeight;

  world.hOldPen = surface.SelectPen(world.hBluePen);
  surface.MoveTo(0, bottom);
  float x = 0.0f;
  for (const double v : world.vecAvgRollingHistory) {
    int px = 0;
    int py = 0;
    if (ToPixel(x, px) && ToPixel(std::floor(bottom - v * 1.5), py)) surface.LineTo(px, py);
    x = x + step;
  }

  // The best scores are floored before the subtraction, so a best score can
  // sit one pixel below an equal average score.
  surface.SelectPen(world.hRedPen);
  surface.MoveTo(0, bottom);
  x = 0.0f;
  for (const double v : world.vecBestRollingHistory) {
    int px = 0;
    int drop = 0;
    if (ToPixel(std::floor(x), px) && ToPixel(std::floor(v * 1.5), drop)) {
      // Wraps like the processor's subtraction for a drop far off the panel.
      const int y = static_cast<int>(static_cast<unsigned>(bottom) - static_cast<unsigned>(drop));
      surface.LineTo(px, y);
    }
    x += step;
  }

  surface.SelectPen(world.hOldPen);
}

std::string IntToString(int value) { return std::string(TextLine().AddInt(value).View()); }

std::string FloatToString(float value) { return std::string(TextLine().AddFloat(value).View()); }
