#include "render/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace {

using PixelSet = std::set<std::pair<int, int>>;

// Every pixel that is not white.
PixelSet Drawn(const Surface& s) {
  PixelSet out;
  for (int y = 0; y < Surface::kHeight; ++y) {
    for (int x = 0; x < Surface::kWidth; ++x) {
      if (s.Pixel(x, y) != kWhite) out.insert({x, y});
    }
  }
  return out;
}

// Every pixel that differs from `background`.
PixelSet Changed(const Surface& s, std::uint32_t background) {
  PixelSet out;
  for (int y = 0; y < Surface::kHeight; ++y) {
    for (int x = 0; x < Surface::kWidth; ++x) {
      if (s.Pixel(x, y) != background) out.insert({x, y});
    }
  }
  return out;
}

PixelSet Line(int x0, int y0, int x1, int y1) {
  Surface s;
  s.MoveTo(x0, y0);
  s.LineTo(x1, y1);
  return Drawn(s);
}

PixelSet Row(int y, int xFrom, int xTo) {  // xFrom..xTo inclusive
  PixelSet out;
  for (int x = xFrom; x <= xTo; ++x) out.insert({x, y});
  return out;
}

PixelSet Column(int x, int yFrom, int yTo) {  // yFrom..yTo inclusive
  PixelSet out;
  for (int y = yFrom; y <= yTo; ++y) out.insert({x, y});
  return out;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {  // b > 0
  std::int64_t q = a / b;
  if (a % b != 0 && a < 0) --q;
  return q;
}

// The line as it should be, worked out pixel by pixel: one pixel per step
// along the longer axis from the start up to but not including the end, the
// other coordinate the one nearest the true line, an exact tie going to the
// smaller coordinate. Only pixels on the surface are kept.
PixelSet Expected(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
  PixelSet out;
  const std::int64_t dx = x1 - x0;
  const std::int64_t dy = y1 - y0;
  const std::int64_t adx = dx < 0 ? -dx : dx;
  const std::int64_t ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx >= ady;
  const std::int64_t n = xMajor ? adx : ady;
  for (std::int64_t i = 0; i < n; ++i) {
    // Along the major axis the coordinate is exact; the minor one is num / n.
    std::int64_t major, minor;
    const std::int64_t num = xMajor ? y0 * n + dy * i : x0 * n + dx * i;
    std::int64_t whole = FloorDiv(num, n);
    const std::int64_t rest = num - whole * n;
    if (2 * rest > n) ++whole;
    minor = whole;
    major = xMajor ? x0 + (dx < 0 ? -i : i) : y0 + (dy < 0 ? -i : i);
    const std::int64_t x = xMajor ? major : minor;
    const std::int64_t y = xMajor ? minor : major;
    if (x >= 0 && x < Surface::kWidth && y >= 0 && y < Surface::kHeight) out.insert({static_cast<int>(x), static_cast<int>(y)});
  }
  return out;
}

void FillRed(Surface& s) {
  const Pen old = s.SelectPen(kRedPen);
  for (int y = 0; y < Surface::kHeight; ++y) {
    s.MoveTo(0, y);
    s.LineTo(Surface::kWidth, y);
  }
  s.SelectPen(old);
}

bool IsDark(std::uint32_t p) {
  return ((p >> 16) & 0xFF) < 96 && ((p >> 8) & 0xFF) < 96 && (p & 0xFF) < 96;
}

struct Box {
  int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // inclusive
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

Box BoundsOf(const PixelSet& pixels) {
  Box b;
  for (const auto& [x, y] : pixels) {
    b.left = std::min(b.left, x);
    b.right = std::max(b.right, x);
    b.top = std::min(b.top, y);
    b.bottom = std::max(b.bottom, y);
  }
  return b;
}

}  // namespace

TEST(Surface, FreshSurfaceIsWhiteWithTheBlackPenAtTheOrigin) {
  Surface s;
  EXPECT_EQ(s.CurrentPen(), kBlackPen);
  EXPECT_TRUE(Drawn(s).empty());
  EXPECT_EQ(Surface::PitchBytes(), Surface::kWidth * 4);
  EXPECT_EQ(s.Pixels()[0], kWhite);
  // The first line starts at (0, 0).
  s.LineTo(3, 0);
  EXPECT_EQ(Drawn(s), Row(0, 0, 2));
  EXPECT_EQ(s.Pixel(0, 0), kBlackPen);
}

TEST(Surface, FillWhiteClearsEverything) {
  Surface s;
  s.MoveTo(0, 0);
  s.LineTo(511, 511);
  ASSERT_FALSE(Drawn(s).empty());
  s.FillWhite();
  EXPECT_TRUE(Drawn(s).empty());
}

TEST(Surface, SelectPenGivesBackThePreviousPen) {
  Surface s;
  EXPECT_EQ(s.SelectPen(kRedPen), kBlackPen);
  EXPECT_EQ(s.CurrentPen(), kRedPen);
  EXPECT_EQ(s.SelectPen(kBluePen), kRedPen);
  // The empty pen selects nothing.
  EXPECT_EQ(s.SelectPen(kNoPen), kNoPen);
  EXPECT_EQ(s.CurrentPen(), kBluePen);
  s.MoveTo(5, 5);
  s.LineTo(7, 5);
  EXPECT_EQ(s.Pixel(5, 5), kBluePen);
  EXPECT_EQ(s.Pixel(6, 5), kBluePen);
  EXPECT_EQ(s.SelectPen(MakePen(1, 2, 3)), kBluePen);
  s.LineTo(9, 5);
  EXPECT_EQ(s.Pixel(7, 5), 0xFF010203u);
  EXPECT_EQ(s.Pixel(8, 5), 0xFF010203u);
}

TEST(SurfaceLine, HorizontalCoversTheStartButNotTheEnd) {
  EXPECT_EQ(Line(10, 20, 15, 20), Row(20, 10, 14));
  EXPECT_EQ(Line(15, 20, 10, 20), Row(20, 11, 15));
  EXPECT_EQ(Line(10, 20, 11, 20), Row(20, 10, 10));
}

TEST(SurfaceLine, VerticalCoversTheStartButNotTheEnd) {
  EXPECT_EQ(Line(30, 5, 30, 9), Column(30, 5, 8));
  EXPECT_EQ(Line(30, 9, 30, 5), Column(30, 6, 9));
  EXPECT_EQ(Line(30, 9, 30, 8), Column(30, 9, 9));
}

TEST(SurfaceLine, ZeroLengthDrawsNothing) {
  EXPECT_TRUE(Line(40, 40, 40, 40).empty());
  EXPECT_TRUE(Line(0, 0, 0, 0).empty());
}

TEST(SurfaceLine, DiagonalsInAllFourDirections) {
  EXPECT_EQ(Line(0, 0, 4, 4), (PixelSet{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
  EXPECT_EQ(Line(4, 4, 0, 0), (PixelSet{{4, 4}, {3, 3}, {2, 2}, {1, 1}}));
  EXPECT_EQ(Line(10, 4, 6, 8), (PixelSet{{10, 4}, {9, 5}, {8, 6}, {7, 7}}));
  EXPECT_EQ(Line(6, 8, 10, 4), (PixelSet{{6, 8}, {7, 7}, {8, 6}, {9, 5}}));
}

TEST(SurfaceLine, ShallowLineBothWays) {
  // y = 2x/5: 0, 0.4, 0.8, 1.2, 1.6
  EXPECT_EQ(Line(0, 0, 5, 2), (PixelSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));
  EXPECT_EQ(Line(5, 2, 0, 0), (PixelSet{{5, 2}, {4, 2}, {3, 1}, {2, 1}, {1, 0}}));
  // Going up and left: y = 12 - 2(x - 20)/5 from (20, 12).
  EXPECT_EQ(Line(20, 12, 25, 10), (PixelSet{{20, 12}, {21, 12}, {22, 11}, {23, 11}, {24, 10}}));
  EXPECT_EQ(Line(25, 10, 20, 12), (PixelSet{{25, 10}, {24, 10}, {23, 11}, {22, 11}, {21, 12}}));
}

TEST(SurfaceLine, SteepLineBothWays) {
  // x = 2y/5 along y.
  EXPECT_EQ(Line(0, 0, 2, 5), (PixelSet{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}}));
  EXPECT_EQ(Line(2, 5, 0, 0), (PixelSet{{2, 5}, {2, 4}, {1, 3}, {1, 2}, {0, 1}}));
  EXPECT_EQ(Line(50, 50, 47, 57),
            (PixelSet{{50, 50}, {50, 51}, {49, 52}, {49, 53}, {48, 54}, {48, 55}, {47, 56}}));
}

TEST(SurfaceLine, ExactHalfwayGoesToTheSmallerCoordinateInBothDirections) {
  // y = x/2: halfway at x = 1 and 3.
  EXPECT_EQ(Line(0, 0, 4, 2), (PixelSet{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
  EXPECT_EQ(Line(4, 2, 0, 0), (PixelSet{{4, 2}, {3, 1}, {2, 1}, {1, 0}}));
  // Mirrored vertically: y = 2 - x/2, halfway still takes the smaller y.
  EXPECT_EQ(Line(0, 2, 4, 0), (PixelSet{{0, 2}, {1, 1}, {2, 1}, {3, 0}}));
  EXPECT_EQ(Line(4, 0, 0, 2), (PixelSet{{4, 0}, {3, 0}, {2, 1}, {1, 1}}));
  // Steep: x = y/2, halfway takes the smaller x.
  EXPECT_EQ(Line(0, 0, 2, 4), (PixelSet{{0, 0}, {0, 1}, {1, 2}, {1, 3}}));
  EXPECT_EQ(Line(2, 4, 0, 0), (PixelSet{{2, 4}, {1, 3}, {1, 2}, {0, 1}}));
}

TEST(SurfaceLine, ReversedLineCoversTheSamePixelsApartFromTheEnds) {
  std::mt19937 gen(20240601);
  std::uniform_int_distribution<int> coord(-40, 551);
  for (int k = 0; k < 400; ++k) {
    const int x0 = coord(gen), y0 = coord(gen), x1 = coord(gen), y1 = coord(gen);
    PixelSet forward = Line(x0, y0, x1, y1);
    PixelSet backward = Line(x1, y1, x0, y0);
    auto onSurface = [](int x, int y) { return x >= 0 && x < 512 && y >= 0 && y < 512; };
    if (onSurface(x1, y1)) forward.insert({x1, y1});
    if (onSurface(x0, y0)) backward.insert({x0, y0});
    ASSERT_EQ(forward, backward) << "(" << x0 << "," << y0 << ") - (" << x1 << "," << y1 << ")";
  }
}

TEST(SurfaceLine, RandomLinesMatchTheNearestPixelRule) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> coord(-700, 1200);
  for (int k = 0; k < 600; ++k) {
    const int x0 = coord(gen), y0 = coord(gen), x1 = coord(gen), y1 = coord(gen);
    ASSERT_EQ(Line(x0, y0, x1, y1), Expected(x0, y0, x1, y1))
        << "(" << x0 << "," << y0 << ") - (" << x1 << "," << y1 << ")";
  }
}

TEST(SurfaceLine, EndBecomesTheCurrentPosition) {
  Surface s;
  s.MoveTo(10, 10);
  s.LineTo(20, 10);
  s.LineTo(20, 20);
  PixelSet expected = Row(10, 10, 19);
  const PixelSet down = Column(20, 10, 19);
  expected.insert(down.begin(), down.end());
  EXPECT_EQ(Drawn(s), expected);
  EXPECT_EQ(expected.size(), 20u);  // the corner (20, 10) once, (20, 20) left out

  // A slanted polyline joins without a gap: each segment starts where the last stopped.
  Surface t;
  t.MoveTo(100, 100);
  t.LineTo(107, 103);
  t.LineTo(101, 110);
  PixelSet both = Line(100, 100, 107, 103);
  const PixelSet second = Line(107, 103, 101, 110);
  both.insert(second.begin(), second.end());
  EXPECT_EQ(Drawn(t), both);
  EXPECT_TRUE(both.count({107, 103}));
  EXPECT_FALSE(both.count({101, 110}));
}

TEST(SurfaceLine, FourLinesMakeExactlyTheSquareBorder) {
  Surface s;
  s.MoveTo(171, 171);
  s.LineTo(341, 171);
  s.MoveTo(171, 340);
  s.LineTo(341, 340);
  s.MoveTo(171, 171);
  s.LineTo(171, 341);
  s.MoveTo(340, 171);
  s.LineTo(340, 341);

  PixelSet border;
  for (int i = 171; i <= 340; ++i) {
    border.insert({i, 171});
    border.insert({i, 340});
    border.insert({171, i});
    border.insert({340, i});
  }
  EXPECT_EQ(Drawn(s), border);
  EXPECT_EQ(border.size(), 4u * 169u);
}

TEST(SurfaceLine, LinesLeavingTheSurfaceWriteOnlyInside) {
  EXPECT_EQ(Line(500, 10, 600, 10), Row(10, 500, 511));
  EXPECT_EQ(Line(10, -50, 10, 5), Column(10, 0, 4));
  EXPECT_EQ(Line(-100000, 200, 100000, 200), Row(200, 0, 511));
  EXPECT_EQ(Line(300, 100000, 300, -100000), Column(300, 0, 511));
  EXPECT_TRUE(Line(-100000, -5, 100000, -5).empty());
  EXPECT_TRUE(Line(-10, -10, -1, 600).empty());
  EXPECT_TRUE(Line(600, 600, 512, 512).empty());
  EXPECT_EQ(Line(-3, -3, 3, 3), (PixelSet{{0, 0}, {1, 1}, {2, 2}}));
  EXPECT_EQ(Line(-100000, 0, 100000, 1000), Expected(-100000, 0, 100000, 1000));
  EXPECT_EQ(Line(256, 256, -1000000, 3), Expected(256, 256, -1000000, 3));
  EXPECT_EQ(Line(-1999999, -2000000, 2000000, 1999999), Expected(-1999999, -2000000, 2000000, 1999999));
}

TEST(SurfaceLine, ExtremeCoordinatesAreClippedExactly) {
  PixelSet diagonal;
  for (int i = 0; i < 512; ++i) diagonal.insert({i, i});
  EXPECT_EQ(Line(INT_MIN, INT_MIN, INT_MAX, INT_MAX), diagonal);
  EXPECT_EQ(Line(INT_MAX, INT_MAX, INT_MIN, INT_MIN), diagonal);
  EXPECT_EQ(Line(INT_MIN, 7, INT_MAX, 7), Row(7, 0, 511));
  EXPECT_EQ(Line(7, INT_MAX, 7, INT_MIN), Column(7, 0, 511));
  // x + y stays -1 along this one, so it never touches the surface.
  EXPECT_TRUE(Line(INT_MAX, INT_MIN, INT_MIN, INT_MAX).empty());
  // Nearly horizontal across four billion columns: the step down comes just
  // past the middle, which is x = 0 here.
  const PixelSet shallow = Line(INT_MIN, 100, INT_MAX, 101);
  EXPECT_EQ(shallow, Row(101, 0, 511));
  // Here the middle is x = 256 exactly: the tie keeps the smaller y.
  PixelSet stepped = Row(100, 0, 256);
  const PixelSet lower = Row(101, 257, 511);
  stepped.insert(lower.begin(), lower.end());
  EXPECT_EQ(Line(-2147483100, 100, 2147483612, 101), stepped);
  EXPECT_EQ(Line(2147483612, 101, -2147483100, 100), stepped);

  // The far end still becomes the current position.
  Surface s;
  s.MoveTo(20, 20);
  s.LineTo(INT_MAX, 20);
  s.LineTo(INT_MAX, 30);
  s.LineTo(20, 30);
  PixelSet expected = Row(20, 20, 511);
  const PixelSet back = Row(30, 21, 511);
  expected.insert(back.begin(), back.end());
  EXPECT_EQ(Drawn(s), expected);
}

TEST(SurfaceText, DarkGlyphsOnAWhiteBoxStartingAtThePoint) {
  Surface s;
  FillRed(s);
  s.TextOut(50, 100, "Critters 12 fungi 34 (gjy|Q)");
  const PixelSet box = Changed(s, kRedPen);
  ASSERT_FALSE(box.empty());
  const Box b = BoundsOf(box);
  EXPECT_EQ(b.left, 50);
  EXPECT_EQ(b.top, 100);
  EXPECT_LT(b.Height(), 20);
  EXPECT_GE(b.Height(), 12);
  EXPECT_GT(b.Width(), 100);
  EXPECT_LT(b.Width(), 400);
  // An opaque box: every pixel in it replaced, in shades of grey.
  EXPECT_EQ(box.size(), static_cast<std::size_t>(b.Width()) * b.Height());
  int dark = 0, white = 0;
  for (const auto& [x, y] : box) {
    const std::uint32_t p = s.Pixel(x, y);
    ASSERT_EQ(p >> 24, 0xFFu);
    ASSERT_EQ((p >> 16) & 0xFF, (p >> 8) & 0xFF);
    ASSERT_EQ((p >> 8) & 0xFF, p & 0xFF);
    if (IsDark(p)) ++dark;
    if (p == kWhite) ++white;
  }
  EXPECT_GT(dark, 100);
  // White space between and around the glyphs.
  EXPECT_GT(white, static_cast<int>(box.size()) / 2);
  for (int x = b.left; x <= b.right; ++x) EXPECT_EQ(s.Pixel(x, b.top), kWhite) << x;
}

TEST(SurfaceText, NothingDarkAboveOrLeftOfThePoint) {
  Surface s;
  s.TextOut(200, 300, "Generation 17 best 42");
  const PixelSet drawn = Drawn(s);
  ASSERT_FALSE(drawn.empty());
  for (const auto& [x, y] : drawn) {
    EXPECT_GE(x, 200);
    EXPECT_GE(y, 300);
    EXPECT_LT(y, 320);
  }
}

TEST(SurfaceText, LinesTwentyPixelsApartDoNotOverlap) {
  Surface s;
  FillRed(s);
  const int tops[] = {0, 20, 40, 60};
  for (int top : tops) s.TextOut(0, top, "Qgjy|[]");
  // Rows 0..79 are each inside one box, and each box leaves red below it.
  for (int top : tops) {
    int boxRows = 0;
    for (int y = top; y < top + 20; ++y) {
      if (s.Pixel(0, y) != kRedPen) ++boxRows;
    }
    EXPECT_GT(boxRows, 10) << top;
    EXPECT_LT(boxRows, 20) << top;
    EXPECT_EQ(s.Pixel(0, top + 19), kRedPen) << top;
  }
}

TEST(SurfaceText, EmptyTextDrawsNothing) {
  Surface s;
  FillRed(s);
  s.TextOut(10, 10, "");
  EXPECT_TRUE(Changed(s, kRedPen).empty());
}

TEST(SurfaceText, TextAtTheEdgeIsClipped) {
  Surface whole;
  whole.TextOut(100, 100, "Clipped words");
  const PixelSet full = Drawn(whole);
  ASSERT_FALSE(full.empty());

  // Moved up and left off the surface, the rest lands shifted, unchanged.
  Surface cut;
  cut.TextOut(100 - 120, 100 - 105, "Clipped words");
  const PixelSet part = Drawn(cut);
  ASSERT_FALSE(part.empty());
  for (const auto& [x, y] : full) {
    const int cx = x - 120, cy = y - 105;
    if (cx >= 0 && cy >= 0) {
      EXPECT_EQ(cut.Pixel(cx, cy), whole.Pixel(x, y)) << x << "," << y;
    }
  }
  for (const auto& [x, y] : part) EXPECT_TRUE(full.count({x + 120, y + 105})) << x << "," << y;

  // Off the right and bottom edges.
  Surface corner;
  FillRed(corner);
  corner.TextOut(500, 505, "Clipped words");
  const PixelSet edge = Changed(corner, kRedPen);
  ASSERT_FALSE(edge.empty());
  EXPECT_EQ(BoundsOf(edge).left, 500);
  EXPECT_EQ(BoundsOf(edge).top, 505);
  EXPECT_EQ(BoundsOf(edge).right, 511);
  EXPECT_EQ(BoundsOf(edge).bottom, 511);

  // Wholly off the surface.
  Surface away;
  FillRed(away);
  away.TextOut(-100000, -100000, "far");
  away.TextOut(INT_MAX - 3, 10, "far");
  away.TextOut(10, INT_MAX, "far");
  away.TextOut(INT_MIN, INT_MIN, "far");
  away.TextOut(512, 0, "far");
  away.TextOut(0, 512, "far");
  EXPECT_TRUE(Changed(away, kRedPen).empty());
}

TEST(SurfacePng, SaveAndLoadGiveBackEveryPixel) {
  Surface s;
  for (int y = 0; y < Surface::kHeight; ++y) {
    s.SelectPen(MakePen(static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(255 - y / 2),
                        static_cast<std::uint8_t>(y * 7)));
    s.MoveTo(0, y);
    s.LineTo(y + 1, y);
  }
  s.SelectPen(kGreenPen);
  s.MoveTo(511, 0);
  s.LineTo(0, 511);
  s.TextOut(300, 40, "round trip");

  TempDir dir;
  const std::string path = dir.File("surface.png");
  ASSERT_TRUE(s.SavePng(path));
  std::vector<std::uint32_t> pixels;
  int w = 0, h = 0;
  ASSERT_TRUE(LoadPngPixels(path, pixels, w, h));
  ASSERT_EQ(w, Surface::kWidth);
  ASSERT_EQ(h, Surface::kHeight);
  ASSERT_EQ(pixels.size(), static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      ASSERT_EQ(pixels[static_cast<std::size_t>(y) * w + x], s.Pixel(x, y)) << x << "," << y;
    }
  }
}

TEST(SurfacePng, FailuresAreReported) {
  TempDir dir;
  Surface s;
  EXPECT_FALSE(s.SavePng(dir.File("missing/folder/out.png")));
  std::vector<std::uint32_t> pixels;
  int w = 0, h = 0;
  EXPECT_FALSE(LoadPngPixels(dir.File("absent.png"), pixels, w, h));
  WriteFile(dir.File("junk.png"), "not a picture");
  EXPECT_FALSE(LoadPngPixels(dir.File("junk.png"), pixels, w, h));
}
