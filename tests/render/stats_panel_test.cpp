#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "render/arena_view.h"
#include "tests/render/render_fixture.h"

TEST(TextOfNumbers, FloatsAsADefaultStreamWritesThem) {
  EXPECT_EQ(FloatToString(0.0f), "0");
  EXPECT_EQ(FloatToString(2.5f), "2.5");
  EXPECT_EQ(FloatToString(1.0f / 3.0f), "0.333333");
  EXPECT_EQ(FloatToString(123.4567f), "123.457");
  EXPECT_EQ(FloatToString(-13.33333f), "-13.3333");
  EXPECT_EQ(FloatToString(100000.0f), "100000");
  EXPECT_EQ(FloatToString(1234567.0f), "1.23457e+06");
  EXPECT_EQ(FloatToString(0.0001f), "0.0001");
  EXPECT_EQ(FloatToString(0.00001f), "1e-05");
}

TEST(TextOfNumbers, Ints) {
  EXPECT_EQ(IntToString(0), "0");
  EXPECT_EQ(IntToString(42), "42");
  EXPECT_EQ(IntToString(-7), "-7");
  EXPECT_EQ(IntToString(INT_MAX), "2147483647");
  EXPECT_EQ(IntToString(INT_MIN), "-2147483648");
}

namespace {

// The panel texts as the surface writes them, at their rows.
void DrawTexts(Surface& s, const std::string& win, const std::string& scores, const std::string& composite) {
  if (!win.empty()) s.TextOut(5, 20, win);
  s.TextOut(5, 40, scores);
  s.TextOut(5, 60, composite);
}

// The extent of ink in a text row: leftmost and rightmost column.
std::pair<int, int> InkColumns(const Surface& s, int top) {
  int left = INT_MAX;
  int right = -1;
  for (const auto& [x, y] : NonWhiteIn(s, 0, top, 511, top + 17)) {
    left = std::min(left, x);
    right = std::max(right, x);
  }
  return {left, right};
}

// The pixels of a polyline from (0, 511) through the points, as the surface draws it.
PixelSet Polyline(const std::vector<std::pair<int, int>>& points) {
  Surface s;
  s.MoveTo(0, 511);
  for (const auto& [x, y] : points) s.LineTo(x, y);
  return NonWhite(s);
}

}  // namespace

class StatsPanel : public RenderTest {
 protected:
  // A world whose statistics are all set by the test.
  World& Panel(int generation) {
    World& w = Build();
    w.bFastMode = true;
    w.iGeneration = generation;
    w.iWins = 0;
    w.dChanceWinRate = 0.0;
    w.vecAvgRollingHistory.clear();
    w.vecBestRollingHistory.clear();
    return w;
  }
};

TEST_F(StatsPanel, NoWinLineAndNoGraphBeforeTheFirstGenerationEnd) {
  World& w = Build();
  w.bFastMode = true;
  ASSERT_EQ(w.iGeneration, 0);
  Surface s;
  RenderStats(w, s);

  Surface expected;
  DrawTexts(expected, "", "Best Score: 0,  Average Score: 0,  Best/Avg Ratio: 0",
            "Composite Score: 0,  Best Composite Score: 0");
  EXPECT_EQ(Differences(s, expected), 0);
  EXPECT_TRUE(NonWhiteIn(s, 0, 20, 511, 39).empty());
  EXPECT_TRUE(PixelsOf(s, kBluePen).empty());
  EXPECT_TRUE(PixelsOf(s, kRedPen).empty());
}

TEST_F(StatsPanel, TextsShowEachValueAsAFloat) {
  World& w = Panel(4);
  w.iWins = 1;
  w.dChanceWinRate = 0.1;             // (1/4 - 0.1) * 100 = 15.000000000000002
  w.dBestFitnessRollingAvg = 1.00000499;  // "1" as a double, "1.00001" once a float
  w.dAvgFitnessRollingAvg = 2.5;
  w.dBestAvgRollingRatio = 1.0 / 3.0;
  w.dComposite = 123.4567;
  w.dBestComposite = 0.0;
  Surface s;
  RenderStats(w, s);

  Surface expected;
  DrawTexts(expected, "Best win percent: 15", "Best Score: 1.00001,  Average Score: 2.5,  Best/Avg Ratio: 0.333333",
            "Composite Score: 123.457,  Best Composite Score: 0");
  EXPECT_EQ(Differences(s, expected), 0);
}

TEST_F(StatsPanel, NegativeWinPercentHasAMinusSign) {
  World& w = Panel(10);
  w.iWins = 0;
  w.dChanceWinRate = 2.0 / 15.0;  // -13.3333
  Surface negative;
  RenderStats(w, negative);

  w.iWins = 4;
  w.dChanceWinRate = 4.0 / 15.0;  // +13.3333
  Surface positive;
  RenderStats(w, positive);

  const auto neg = InkColumns(negative, 20);
  const auto pos = InkColumns(positive, 20);
  ASSERT_GE(pos.second, 0);
  EXPECT_EQ(neg.first, pos.first);
  EXPECT_GT(neg.second, pos.second + 3);  // one more sign, the line is wider

  Surface expected;
  expected.TextOut(5, 20, "Best win percent: -13.3333");
  EXPECT_EQ(NonWhiteIn(negative, 0, 20, 511, 37), NonWhite(expected));
}

TEST_F(StatsPanel, OneGenerationIsAVerticalSegmentAtTheLeft) {
  World& w = Panel(1);  // step 255.5: the only point sits at x = 0
  w.vecAvgRollingHistory = {100.0};  // blue up to y 361 (not included)
  w.vecBestRollingHistory = {50.0};  // red up to y 436 (not included), over the blue
  Surface s;
  RenderStats(w, s);

  PixelSet blue;
  for (int y = 362; y <= 436; ++y) blue.insert({0, y});
  PixelSet red;
  for (int y = 437; y <= 511; ++y) red.insert({0, y});
  EXPECT_EQ(PixelsOf(s, kBluePen), blue);
  EXPECT_EQ(PixelsOf(s, kRedPen), red);
}

TEST_F(StatsPanel, ValueOneIsRow509InBlueAnd510InRed) {
  World& w = Panel(2);  // step 511/3: the second point at x 170
  w.vecAvgRollingHistory = {1.0, 1.0};
  w.vecBestRollingHistory = {1.0, 1.0};
  Surface s;
  RenderStats(w, s);

  PixelSet blue;
  PixelSet red = {{0, 511}};
  for (int x = 0; x < 170; ++x) {
    blue.insert({x, 509});
    red.insert({x, 510});
  }
  EXPECT_EQ(PixelsOf(s, kBluePen), blue);
  EXPECT_EQ(PixelsOf(s, kRedPen), red);
}

TEST_F(StatsPanel, BlueFloorsTheDifferenceRedTheDrop) {
  World& w = Panel(3);  // step 127.75: points at x 0, 127, 255
  w.vecAvgRollingHistory = {10.0, 20.0, 30.0};
  w.vecBestRollingHistory = {11.0, 21.0, 31.0};  // drops 16.5, 31.5, 46.5
  Surface s;
  RenderStats(w, s);

  const PixelSet red = Polyline({{0, 495}, {127, 480}, {255, 465}});
  PixelSet blue = Polyline({{0, 496}, {127, 481}, {255, 466}});
  for (const auto& p : red) blue.erase(p);
  EXPECT_EQ(PixelsOf(s, kRedPen), red);
  EXPECT_EQ(PixelsOf(s, kBluePen), blue);
}

TEST_F(StatsPanel, GraphStepsAddUpInSinglePrecision) {
  // 20 generations, step 511/21 as a float: after nine steps x is 218.999985,
  // so the tenth point is at column 218 where exact arithmetic gives 219.
  World& w = Panel(20);
  w.vecAvgRollingHistory.assign(20, 0.0);
  w.vecBestRollingHistory.assign(20, 0.0);
  w.vecAvgRollingHistory[9] = 100.0;  // y 361
  w.vecBestRollingHistory[9] = 200.0;  // y 211
  Surface s;
  RenderStats(w, s);

  const auto topmost = [](const PixelSet& pixels) {
    PixelSet top;
    int row = 512;
    for (const auto& [x, y] : pixels) row = std::min(row, y);
    for (const auto& p : pixels)
      if (p.second == row) top.insert(p);
    return top;
  };
  EXPECT_EQ(topmost(PixelsOf(s, kBluePen)), PixelSet({{218, 361}}));
  EXPECT_EQ(topmost(PixelsOf(s, kRedPen)), PixelSet({{218, 211}}));
}

TEST_F(StatsPanel, BluePenForTheGraphThenThePenBefore) {
  World& w = Panel(1);
  w.vecAvgRollingHistory = {10.0};
  w.vecBestRollingHistory = {10.0};
  const Pen grey = MakePen(80, 80, 80);
  Surface s;
  s.SelectPen(grey);
  RenderStats(w, s);
  EXPECT_EQ(w.hOldPen, grey);
  EXPECT_EQ(s.CurrentPen(), grey);
}

TEST_F(StatsPanel, GraphFillsTheWidthAfterManyGenerations) {
  World& w = Panel(100);
  for (int g = 0; g < 100; ++g) {
    w.vecAvgRollingHistory.push_back(10.0 + g);
    w.vecBestRollingHistory.push_back(40.0 + g);
  }
  Surface s;
  RenderStats(w, s);
  int blueRight = -1;
  for (const auto& p : PixelsOf(s, kBluePen)) blueRight = std::max(blueRight, p.first);
  int redRight = -1;
  int redTop = 512;
  for (const auto& p : PixelsOf(s, kRedPen)) {
    redRight = std::max(redRight, p.first);
    redTop = std::min(redTop, p.second);
  }
  // The last point is at 99 steps of 511/101, about 500.9, and is not drawn
  // itself; the last red segment, (495, 304) to (500, 303), reaches row 303.
  EXPECT_EQ(blueRight, 499);
  EXPECT_EQ(redRight, 499);
  EXPECT_EQ(redTop, 303);
}

TEST_F(StatsPanel, PointsWithoutPixelsAreSkipped) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  World& w = Panel(1);
  w.vecAvgRollingHistory = {nan};
  w.vecBestRollingHistory = {std::numeric_limits<double>::infinity()};
  Surface s;
  RenderStats(w, s);
  EXPECT_TRUE(PixelsOf(s, kBluePen).empty());
  EXPECT_TRUE(PixelsOf(s, kRedPen).empty());

  // Finite points on either side of a missing one are still joined.
  World& v = Panel(2);
  v.vecAvgRollingHistory = {100.0, -1e300, 100.0};
  v.vecBestRollingHistory = {50.0, 50.0, 50.0};
  Surface t;
  RenderStats(v, t);
  EXPECT_TRUE(PixelsOf(t, kBluePen).count({100, 361}));
  EXPECT_TRUE(PixelsOf(t, kRedPen).count({100, 436}));
}
