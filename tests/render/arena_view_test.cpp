#include "render/arena_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

#include "common/constants.h"
#include "tests/render/render_fixture.h"

namespace {

// The closed outline through integer vertices, as the surface draws it.
PixelSet Outline(std::initializer_list<std::pair<int, int>> vertices) {
  Surface s;
  const auto& first = *vertices.begin();
  s.MoveTo(first.first, first.second);
  for (auto it = vertices.begin() + 1; it != vertices.end(); ++it) s.LineTo(it->first, it->second);
  s.LineTo(first.first, first.second);
  return NonWhite(s);
}

PixelSet Union(const PixelSet& a, const PixelSet& b) {
  PixelSet out = a;
  out.insert(b.begin(), b.end());
  return out;
}

// The three arrowheads of a critter at (x, y) facing display heading 0.
PixelSet ArrowsHeadingZero(int x, int y) {
  PixelSet out;
  for (int s : {2, 4, 6}) out = Union(out, Outline({{x + s, y}, {x - s, y + s}, {x, y}, {x - s, y - s}}));
  return out;
}

void Place(Critter& c, double x, double y, double heading) {
  c.dPosX = x;
  c.dPosY = y;
  c.dDisplayHeading = heading;
}

}  // namespace

using ArenaView = RenderTest;

TEST_F(ArenaView, BlockOutlineIsTheBorderOfTheCentralBlockInGreen) {
  World& w = Build();
  ClearArena();
  Surface s;
  Render(w, s);

  PixelSet border;
  for (int i = 171; i <= 340; ++i) {
    border.insert({i, 171});
    border.insert({i, 340});
    border.insert({171, i});
    border.insert({340, i});
  }
  EXPECT_EQ(PixelsOf(s, kGreenPen), border);
  // Apart from the header, nothing else is drawn.
  for (const auto& [x, y] : NonWhite(s)) {
    if (y >= 20) {
      EXPECT_TRUE(border.count({x, y})) << x << "," << y;
    }
  }
}

TEST_F(ArenaView, FungusIsASquareOfHalfSideFungusScale) {
  ParamsRecord p = DefaultParamsRecord();
  p.FungusScale = 3.0;
  World& w = Build(p);
  ClearArena();
  // Truncated: the corners 197.6 .. 203.6 and 97.3 .. 103.3 land on 197 .. 203 and 97 .. 103.
  w.vecFungi[5] = {200.6, 100.3};
  Surface s;
  s.SelectPen(kGreenPen);
  RenderFungi(w, s);

  EXPECT_EQ(NonWhite(s), Outline({{197, 97}, {197, 103}, {203, 103}, {203, 97}}));
  EXPECT_EQ(s.CurrentPen(), kGreenPen);
}

TEST_F(ArenaView, FungiAreDrawnInGreenInTheArena) {
  World& w = Build();  // FungusScale 2
  ClearArena();
  w.vecFungi[0] = {50.0, 450.0};
  w.vecFungi[1] = {450.0, 50.0};
  Surface s;
  Render(w, s);

  PixelSet expected;
  for (int i = 171; i <= 340; ++i) {
    expected.insert({i, 171});
    expected.insert({i, 340});
    expected.insert({171, i});
    expected.insert({340, i});
  }
  expected = Union(expected, Outline({{48, 448}, {48, 452}, {52, 452}, {52, 448}}));
  expected = Union(expected, Outline({{448, 48}, {448, 52}, {452, 52}, {452, 48}}));
  EXPECT_EQ(PixelsOf(s, kGreenPen), expected);
}

TEST_F(ArenaView, CritterAtHeadingZeroIsThreeArrowheads) {
  World& w = Build();
  ClearArena();
  Place(w.vecCritters[0], 100.0, 200.0, 0.0);
  Surface s;
  Render(w, s);

  // Scale 2: (102,200), (98,202), (100,200), (98,198); scales 4 and 6 alike.
  const PixelSet scale2 = Outline({{102, 200}, {98, 202}, {100, 200}, {98, 198}});
  const PixelSet red = PixelsOf(s, kRedPen);
  for (const auto& p : scale2) EXPECT_TRUE(red.count(p)) << p.first << "," << p.second;
  EXPECT_EQ(red, ArrowsHeadingZero(100, 200));
}

TEST_F(ArenaView, CritterVerticesAreTruncatedNotRounded) {
  World& w = Build();
  ClearArena();
  Place(w.vecCritters[0], 100.7, 200.9, 0.0);
  Surface s;
  Render(w, s);
  EXPECT_EQ(PixelsOf(s, kRedPen), ArrowsHeadingZero(100, 200));
}

TEST_F(ArenaView, CritterFacingDownHasItsNoseBelow) {
  World& w = Build();
  ClearArena();
  // Display heading pi/2 leaves the model shape unturned: nose (0, 1) points to +y.
  Place(w.vecCritters[1], 300.0, 400.0, kHalfPi);
  Surface s;
  Render(w, s);

  PixelSet expected;
  for (int k : {2, 4, 6})
    expected = Union(expected, Outline({{300, 400 + k}, {300 - k, 400 - k}, {300, 400}, {300 + k, 400 - k}}));
  EXPECT_EQ(PixelsOf(s, kRedPen), expected);
}

// Critters on a grid clear of the block and the header, one per cell.
class CritterColours : public RenderTest {
 protected:
  World& Grid() {
    World& w = Build();
    ClearArena();
    for (int i = 0; i < w.iNumCritters; ++i) {
      const int row = i / 6;
      const int y = row < 3 ? 40 + 50 * row : 400 + 50 * (row - 3);
      Place(w.vecCritters[static_cast<std::size_t>(i)], 30 + 80 * (i % 6), y, 0.3 * i);
    }
    return w;
  }

  // The colours found in the 15 x 15 box around critter i.
  static std::set<std::uint32_t> ColoursAround(const Surface& s, const Critter& c) {
    std::set<std::uint32_t> out;
    const int cx = static_cast<int>(c.dPosX);
    const int cy = static_cast<int>(c.dPosY);
    for (int y = cy - 7; y <= cy + 7; ++y)
      for (int x = cx - 7; x <= cx + 7; ++x)
        if (s.Pixel(x, y) != kWhite) out.insert(s.Pixel(x, y));
    return out;
  }
};

TEST_F(CritterColours, EliteCrittersAreRedAndTheOthersBlack) {
  World& w = Grid();
  ASSERT_EQ(Params.EliteCount, 4);
  Surface s;
  Render(w, s);
  for (int i = 0; i < w.iNumCritters; ++i) {
    const std::set<std::uint32_t> expected = {i < 4 ? kRedPen : kBlackPen};
    EXPECT_EQ(ColoursAround(s, w.vecCritters[static_cast<std::size_t>(i)]), expected) << "critter " << i;
  }
}

TEST_F(CritterColours, NoEliteMeansEveryCritterBlack) {
  World& w = Grid();
  Params.EliteCount = 0;
  Surface s;
  Render(w, s);
  for (int i = 0; i < w.iNumCritters; ++i) {
    EXPECT_EQ(ColoursAround(s, w.vecCritters[static_cast<std::size_t>(i)]), std::set<std::uint32_t>{kBlackPen})
        << "critter " << i;
  }
  EXPECT_TRUE(PixelsOf(s, kRedPen).empty());
}

TEST_F(CritterColours, OthersTakeThePenTheSurfaceHadAndItIsSelectedAgainAfter) {
  World& w = Grid();
  const Pen grey = MakePen(90, 90, 90);
  Surface s;
  s.SelectPen(grey);
  Render(w, s);
  EXPECT_EQ(w.hOldPen, grey);
  EXPECT_EQ(s.CurrentPen(), grey);
  EXPECT_EQ(ColoursAround(s, w.vecCritters[0]), std::set<std::uint32_t>{kRedPen});
  EXPECT_EQ(ColoursAround(s, w.vecCritters[4]), std::set<std::uint32_t>{grey});
  EXPECT_EQ(ColoursAround(s, w.vecCritters[29]), std::set<std::uint32_t>{grey});
}

TEST_F(ArenaView, RenderCritterLeavesItsPenSelected) {
  World& w = Build();
  ClearArena();
  w.hOldPen = kBluePen;
  Surface s;
  RenderCritter(w, s, 3);  // elite
  EXPECT_EQ(s.CurrentPen(), kRedPen);
  RenderCritter(w, s, 4);
  EXPECT_EQ(s.CurrentPen(), kBluePen);
}

// The sensor line: from the last elite critter (index EliteCount - 1) to its marker.
class SensorLine : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    World& w = Build();
    ClearArena();
    for (Critter& c : w.vecCritters) {
      c.dMarkerX = 250.0;  // a marker on every critter: only the right one may be used
      c.dMarkerY = 20.0;
    }
    Place(w.vecCritters[3], 100.9, 100.2, 0.0);
  }

  Critter& Elite() { return world_->vecCritters[3]; }

  void Draw(Surface& s, bool sensors) {
    world_->bShowSensors = sensors;
    s.FillWhite();
    Render(*world_, s);
  }

  // The arena with the sensor line must equal the arena without it plus
  // exactly one line in `pen`, or nothing when `to` is null.
  void ExpectLine(const std::pair<int, int>* to, int fromX, int fromY, Pen pen) {
    Surface with;
    Draw(with, true);
    Surface expected;
    Draw(expected, false);
    ASSERT_GT(NonWhiteIn(expected, 0, 20, 511, 511).size(), 0u);
    if (to != nullptr) {
      expected.SelectPen(pen);
      expected.MoveTo(fromX, fromY);
      expected.LineTo(to->first, to->second);
    }
    EXPECT_EQ(Differences(with, expected), 0);
  }
};

TEST_F(SensorLine, MarkerJustBelowTheHalfIsDrawnToTheLastColumn) {
  Elite().dMarkerX = 511.4;
  Elite().dMarkerY = 300.2;
  const std::pair<int, int> to{511, 300};
  ExpectLine(&to, 100, 100, kBlackPen);  // critter 29, the last drawn, is not elite: its pen is hOldPen
}

TEST_F(SensorLine, MarkerAtTheHalfRoundsOffTheSurfaceAndIsNotDrawn) {
  Elite().dMarkerX = 511.5;
  Elite().dMarkerY = 300.0;
  ExpectLine(nullptr, 0, 0, kBlackPen);
}

TEST_F(SensorLine, MarkerAboveTheTopRowIsNotDrawn) {
  Elite().dMarkerX = 300.0;
  Elite().dMarkerY = -0.6;
  ExpectLine(nullptr, 0, 0, kBlackPen);
}

TEST_F(SensorLine, MarkerRoundingUpToTheTopRowIsDrawn) {
  Elite().dMarkerX = 300.0;
  Elite().dMarkerY = -0.5;
  const std::pair<int, int> to{300, 0};
  ExpectLine(&to, 100, 100, kBlackPen);
}

TEST_F(SensorLine, NoMarkerNoLine) {
  Elite().dMarkerX = -1.0;
  Elite().dMarkerY = -1.0;
  ExpectLine(nullptr, 0, 0, kBlackPen);
}

TEST_F(SensorLine, OnlyTheMarkerXTellsWhetherThereIsOne) {
  Elite().dMarkerX = -0.2;  // would round to column 0
  Elite().dMarkerY = 300.0;
  ExpectLine(nullptr, 0, 0, kBlackPen);
  Elite().dMarkerX = std::numeric_limits<double>::quiet_NaN();
  ExpectLine(nullptr, 0, 0, kBlackPen);
}

TEST_F(SensorLine, MarkerWithoutAYIsNotDrawn) {
  Elite().dMarkerX = 300.0;
  Elite().dMarkerY = std::numeric_limits<double>::quiet_NaN();
  ExpectLine(nullptr, 0, 0, kBlackPen);
}

TEST_F(SensorLine, HiddenUnlessShowSensors) {
  Elite().dMarkerX = 400.0;
  Elite().dMarkerY = 450.0;
  Surface off;
  Draw(off, false);
  Surface on;
  Draw(on, true);
  EXPECT_GT(Differences(on, off), 100);
}

TEST_F(SensorLine, NoEliteNoLine) {
  Params.EliteCount = 0;
  ExpectLine(nullptr, 0, 0, kBlackPen);
}

TEST_F(SensorLine, MoreEliteThanCrittersNoLine) {
  // A spare critter past iNumCritters, with a marker: it must not be read.
  world_->vecCritters.push_back(Elite());
  world_->vecCritters.back().dMarkerX = 400.0;
  world_->vecCritters.back().dMarkerY = 400.0;
  Params.EliteCount = world_->iNumCritters + 1;
  ExpectLine(nullptr, 0, 0, kRedPen);
}

TEST_F(SensorLine, EveryCritterEliteDrawsFromTheLastInRed) {
  Params.EliteCount = world_->iNumCritters;
  Critter& last = world_->vecCritters.back();
  Place(last, 60.3, 480.8, 1.0);
  last.dMarkerX = 10.0;
  last.dMarkerY = 30.0;
  const std::pair<int, int> to{10, 30};
  ExpectLine(&to, 60, 480, kRedPen);
}

TEST_F(ArenaView, SensorPointsRoundHalvesUpAndNoMarkerGivesMinusOne) {
  Critter& c = Build().vecCritters[0];
  int x = 0;
  int y = 0;
  c.dMarkerX = 10.5;
  c.dMarkerY = 20.5;
  GetSensorPoints(c, x, y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(11, 21));

  c.dMarkerX = 10.49;
  c.dMarkerY = -0.6;
  GetSensorPoints(c, x, y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(10, -1));

  c.dMarkerX = 0.0;
  c.dMarkerY = 0.0;
  GetSensorPoints(c, x, y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(0, 0));

  c.dMarkerX = -0.2;
  c.dMarkerY = 5.0;
  GetSensorPoints(c, x, y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(-1, -1));

  c.dMarkerX = std::numeric_limits<double>::quiet_NaN();
  GetSensorPoints(c, x, y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(-1, -1));
}

// A figure with a coordinate that no int holds (a critter whose network gave
// NaN, a fungus scale beyond reason) is left out whole; the rest is drawn.
TEST_F(ArenaView, FiguresWithoutPixelsAreLeftOutAndTheRestDrawn) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  World& w = Build();
  ClearArena();
  Params.EliteCount = 0;
  Place(w.vecCritters[5], 100.0, 100.0, 0.0);
  Surface expected;
  expected.FillWhite();
  Render(w, expected);
  ASSERT_EQ(NonWhiteIn(expected, 90, 90, 110, 110), ArrowsHeadingZero(100, 100));

  Place(w.vecCritters[0], nan, nan, nan);
  Place(w.vecCritters[1], 200.0, 100.0, nan);
  Place(w.vecCritters[2], inf, 50.0, 0.0);
  Place(w.vecCritters[3], 1e300, -1e300, 1.0);
  Place(w.vecCritters[4], 300.0, 4e9, 0.0);
  // Some vertices of this one fit an int and some do not: drawn, it would
  // leave a line right across the arena.
  Place(w.vecCritters[6], 2147483584.0, 300.0, 0.0);
  w.vecFungi[0] = {nan, 40.0};
  w.vecFungi[1] = {40.0, -inf};
  w.vecFungi[2] = {3e9, 3e9};
  Surface s;
  s.FillWhite();
  Render(w, s);
  EXPECT_EQ(Differences(s, expected), 0);
}

TEST_F(ArenaView, HugeFungusScaleDrawsNoFungusAndNoStray) {
  ParamsRecord p = DefaultParamsRecord();
  p.FungusScale = 1e300;  // the square's corners overflow to infinity
  World& w = Build(p);
  ClearArena();
  Surface empty;
  empty.FillWhite();
  Render(w, empty);
  w.vecFungi[0] = {100.0, 100.0};
  Surface s;
  s.FillWhite();
  Render(w, s);
  EXPECT_EQ(Differences(s, empty), 0);
}

TEST_F(SensorLine, CritterWithoutAPositionDrawsNoLine) {
  Elite().dMarkerX = 300.0;
  Elite().dMarkerY = 300.0;
  Elite().dPosX = std::numeric_limits<double>::quiet_NaN();
  ExpectLine(nullptr, 0, 0, kBlackPen);
  Elite().dPosX = 100.0;
  Elite().dPosY = -std::numeric_limits<double>::infinity();
  ExpectLine(nullptr, 0, 0, kBlackPen);
}
