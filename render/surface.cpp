#include "render/surface.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "render/glyph_table.h"

namespace {

// Line walks are computed in 128 bits so that any pair of int end points,
// however far off the surface, gives exact pixels.
__extension__ using Wide = __int128;

// A line seen along its major axis: after i steps the minor coordinate has
// moved Offset(i) = minor * i / major, rounded to the nearest pixel. A tie
// goes to the smaller surface coordinate, so a line covers the same pixels
// whichever end it starts from (apart from the excluded end pixel).
struct LineWalk {
  std::int64_t major;  // steps along the major axis, > 0
  std::int64_t minor;  // 0 .. major
  std::int64_t bias;   // major - 1 when the minor coordinate grows, major when it shrinks

  std::int64_t Offset(std::int64_t i) const {
    return static_cast<std::int64_t>((Wide{2} * minor * i + bias) / (Wide{2} * major));
  }

  // The first step in [lo, hi] whose offset is at least `target`, or hi + 1.
  std::int64_t FirstAtLeast(std::int64_t lo, std::int64_t hi, std::int64_t target) const {
    std::int64_t end = hi + 1;
    while (lo < end) {
      const std::int64_t mid = lo + (end - lo) / 2;
      if (Offset(mid) >= target) {
        end = mid;
      } else {
        lo = mid + 1;
      }
    }
    return lo;
  }
};

// Narrows [lo, hi] to the steps whose coordinate start + sign * offset lies in
// [0, limit), for a coordinate that moves by a non-decreasing offset(step).
template <typename OffsetFn>
void ClipSteps(std::int64_t start, int sign, std::int64_t limit, OffsetFn offsetAtLeast, std::int64_t& lo,
               std::int64_t& hi) {
  // Offsets allowed: [low, high].
  const std::int64_t low = sign > 0 ? -start : start - (limit - 1);
  const std::int64_t high = sign > 0 ? limit - 1 - start : start;
  const std::int64_t first = offsetAtLeast(lo, hi, low);
  const std::int64_t last = offsetAtLeast(first, hi, high + 1) - 1;
  lo = first;
  hi = last;
}

bool OnSurface(std::int64_t x, std::int64_t y) {
  return x >= 0 && x < Surface::kWidth && y >= 0 && y < Surface::kHeight;
}

}  // namespace

Surface::Surface() : pixels_(static_cast<std::size_t>(kWidth) * kHeight, kWhite) {}

Surface::~Surface() = default;

void Surface::FillWhite() { std::fill(pixels_.begin(), pixels_.end(), kWhite); }

Pen Surface::SelectPen(Pen pen) {
  if (pen == kNoPen) return kNoPen;
  const Pen previous = pen_;
  pen_ = pen;
  return previous;
}

void Surface::MoveTo(int x, int y) {
  curX_ = x;
  curY_ = y;
}

void Surface::LineTo(int x, int y) {
  const std::int64_t x0 = curX_;
  const std::int64_t y0 = curY_;
  const std::int64_t dx = std::int64_t{x} - x0;
  const std::int64_t dy = std::int64_t{y} - y0;
  curX_ = x;
  curY_ = y;

  const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  const std::int64_t dMajor = xMajor ? dx : dy;
  const std::int64_t dMinor = xMajor ? dy : dx;
  const std::int64_t major0 = xMajor ? x0 : y0;
  const std::int64_t minor0 = xMajor ? y0 : x0;
  const int majorSign = dMajor < 0 ? -1 : 1;
  const int minorSign = dMinor < 0 ? -1 : 1;
  const std::int64_t majorLimit = xMajor ? kWidth : kHeight;
  const std::int64_t minorLimit = xMajor ? kHeight : kWidth;

  LineWalk walk;
  walk.major = dMajor < 0 ? -dMajor : dMajor;
  walk.minor = dMinor < 0 ? -dMinor : dMinor;
  walk.bias = minorSign > 0 ? walk.major - 1 : walk.major;
  if (walk.major == 0) return;  // the end pixel is never drawn, so nothing is

  // Steps 0 .. major - 1: the end pixel is left out.
  std::int64_t lo = 0;
  std::int64_t hi = walk.major - 1;
  if (!OnSurface(x0, y0) || !OnSurface(x, y)) {
    // Only the steps that land on the surface are walked.
    const auto identity = [](std::int64_t l, std::int64_t h, std::int64_t target) {
      return std::clamp(target, l, h + 1);
    };
    ClipSteps(major0, majorSign, majorLimit, identity, lo, hi);
    if (lo > hi) return;
    const auto offsets = [&walk](std::int64_t l, std::int64_t h, std::int64_t target) {
      return walk.FirstAtLeast(l, h, target);
    };
    ClipSteps(minor0, minorSign, minorLimit, offsets, lo, hi);
    if (lo > hi) return;
  }

  // Bresenham stepping from the first visible step: offset and remainder of
  // 2 * minor * i + bias over 2 * major.
  const Wide numerator = Wide{2} * walk.minor * lo + walk.bias;
  std::int64_t offset = static_cast<std::int64_t>(numerator / (Wide{2} * walk.major));
  std::int64_t remainder = static_cast<std::int64_t>(numerator % (Wide{2} * walk.major));
  const std::int64_t twiceMajor = 2 * walk.major;
  const std::int64_t twiceMinor = 2 * walk.minor;
  for (std::int64_t i = lo; i <= hi; ++i) {
    const int a = static_cast<int>(major0 + majorSign * i);
    const int b = static_cast<int>(minor0 + minorSign * offset);
    if (xMajor) {
      Plot(a, b);
    } else {
      Plot(b, a);
    }
    remainder += twiceMinor;
    if (remainder >= twiceMajor) {
      remainder -= twiceMajor;
      ++offset;
    }
  }
}

void Surface::TextOut(int x, int y, std::string_view text) {
  // The program's texts are short lines; a longer one is cut to what the
  // 512-pixel surface could show anyway.
  text = text.substr(0, 511);

  // The text box, laid out as SDL2_ttf lays out a line: the pen moves by
  // whole pixels, and the box holds every glyph's bitmap box, the baseline
  // `ascent` rows down, and the pen's end.
  const GlyphFace& face = kGlyphFace;
  std::int64_t pen = 0;
  std::int64_t minX = 0;
  std::int64_t maxX = 0;
  std::int64_t minY = 0;
  std::int64_t maxY = face.height;
  for (const char c : text) {
    const GlyphImage& g = GlyphFor(c);
    minX = std::min(minX, pen + g.left);
    maxX = std::max(maxX, pen + g.left + g.width);
    minY = std::min(minY, std::int64_t{face.ascent} - g.top);
    maxY = std::max(maxY, std::int64_t{face.ascent} - g.top + g.rows);
    pen += g.advance;
  }
  maxX = std::max(maxX, pen);
  if (maxX == minX) return;  // a box of no width is not drawn at all

  // The box's top-left corner lands on (x, y); the pen starts -minX to its
  // right and the baseline lies ascent - minY rows down.
  const std::int64_t penLeft = std::int64_t{x} - minX;
  const std::int64_t baseline = std::int64_t{y} - minY + face.ascent;
  const std::int64_t colStart = std::max<std::int64_t>(x, 0);
  const std::int64_t colEnd = std::min<std::int64_t>(std::int64_t{x} + (maxX - minX), kWidth);
  const std::int64_t rowStart = std::max<std::int64_t>(y, 0);
  const std::int64_t rowEnd = std::min<std::int64_t>(std::int64_t{y} + (maxY - minY), kHeight);
  if (colStart >= colEnd || rowStart >= rowEnd) return;  // wholly off the surface

  // Row by row: the coverage of every glyph on the row, overlaps joined bit
  // by bit, then each level's shade. No heap for the row.
  std::array<std::uint8_t, kWidth> levels;
  for (std::int64_t row = rowStart; row < rowEnd; ++row) {
    std::fill(levels.begin() + colStart, levels.begin() + colEnd, std::uint8_t{0});
    std::int64_t glyphPen = penLeft;
    for (const char c : text) {
      const GlyphImage& g = GlyphFor(c);
      const std::int64_t glyphRow = row - (baseline - g.top);
      const std::int64_t glyphLeft = glyphPen + g.left;
      glyphPen += g.advance;
      if (glyphRow < 0 || glyphRow >= g.rows) continue;
      const std::uint8_t* coverage = kGlyphCoverage + g.coverage + glyphRow * g.width;
      const std::int64_t from = std::max(colStart, glyphLeft);
      const std::int64_t to = std::min(colEnd, glyphLeft + g.width);
      for (std::int64_t col = from; col < to; ++col) levels[static_cast<std::size_t>(col)] |= coverage[col - glyphLeft];
    }
    std::uint32_t* out = pixels_.data() + row * kWidth;
    for (std::int64_t col = colStart; col < colEnd; ++col) out[col] = face.shades[levels[static_cast<std::size_t>(col)]];
  }
}

