#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "render/arena_view.h"
#include "tests/render/render_fixture.h"

namespace {

// The text as the surface writes it at the header's place.
void ExpectHeader(const Surface& s, const std::string& text) {
  Surface expected;
  expected.TextOut(5, 0, text);
  EXPECT_EQ(Differences(s, expected), 0) << text;
}

// The rightmost column with ink in the header row, or -1.
int HeaderRight(const Surface& s) {
  int right = -1;
  for (const auto& [x, y] : NonWhiteIn(s, 0, 0, 511, 19)) right = std::max(right, x);
  return right;
}

}  // namespace

// Fast mode with the panel already drawn: only the header can appear.
class Header : public RenderTest {
 protected:
  World& HeaderOnly(int generation, int saves) {
    World& w = Build();
    w.bFastMode = true;
    w.bDrawnThisGeneration = true;
    w.iGeneration = generation;
    w.iNumSaves = saves;
    w.iLastHeaderGeneration = -1;
    return w;
  }
};

TEST_F(Header, GenerationAlone) {
  World& w = HeaderOnly(7, 0);
  Surface s;
  Render(w, s);
  ExpectHeader(s, "Generation: 7");

  // Ink only in the header's box, starting at column 5.
  const PixelSet ink = NonWhite(s);
  ASSERT_FALSE(ink.empty());
  for (const auto& [x, y] : ink) {
    EXPECT_GE(x, 5);
    EXPECT_LT(x, 120);
    EXPECT_LT(y, 20);
  }
}

TEST_F(Header, SavesAreAppendedAfterTwoBlanks) {
  World& w = HeaderOnly(7, 3);
  Surface s;
  Render(w, s);
  ExpectHeader(s, "Generation: 7,  Num. Saves: 3");

  Surface plain;
  World& w2 = HeaderOnly(7, 0);
  Render(w2, plain);
  // The same start, a longer line.
  EXPECT_EQ(NonWhiteIn(s, 0, 0, 60, 19), NonWhiteIn(plain, 0, 0, 60, 19));
  EXPECT_GT(HeaderRight(s), HeaderRight(plain) + 60);
}

TEST_F(Header, LongerNumbersMakeLongerLines) {
  Surface shortLine;
  Render(HeaderOnly(7, 0), shortLine);
  Surface longLine;
  Render(HeaderOnly(1234567, 0), longLine);
  ExpectHeader(longLine, "Generation: 1234567");
  EXPECT_GT(HeaderRight(longLine), HeaderRight(shortLine) + 20);
}

TEST_F(Header, ArenaViewDrawsTheHeaderEveryTime) {
  World& w = Build();
  w.iGeneration = 2;
  for (int frame = 0; frame < 2; ++frame) {
    Surface s;
    Render(w, s);
    EXPECT_FALSE(NonWhiteIn(s, 5, 0, 100, 15).empty()) << frame;
    EXPECT_EQ(w.iLastHeaderGeneration, 2);
    EXPECT_TRUE(w.bDrawnThisGeneration);
  }
}

TEST_F(Header, FastModeDrawsHeaderAndPanelOnceAGeneration) {
  World& w = Build();
  w.bFastMode = true;
  w.iGeneration = 3;
  w.iLastHeaderGeneration = -1;
  w.bDrawnThisGeneration = false;

  Surface first;
  Render(w, first);
  EXPECT_FALSE(NonWhiteIn(first, 0, 0, 511, 19).empty());   // header
  EXPECT_FALSE(NonWhiteIn(first, 0, 40, 511, 79).empty());  // panel texts
  EXPECT_TRUE(w.bDrawnThisGeneration);
  EXPECT_EQ(w.iLastHeaderGeneration, 3);

  // Same generation, panel drawn: nothing at all.
  Surface second;
  Render(w, second);
  EXPECT_TRUE(NonWhite(second).empty());

  // Next generation: both again.
  w.iGeneration = 4;
  w.bDrawnThisGeneration = false;
  Surface third;
  Render(w, third);
  EXPECT_FALSE(NonWhiteIn(third, 0, 0, 511, 19).empty());
  EXPECT_FALSE(NonWhiteIn(third, 0, 40, 511, 79).empty());
  EXPECT_EQ(w.iLastHeaderGeneration, 4);
}

TEST_F(Header, FastModeSkipsTheHeaderOfTheSameGeneration) {
  World& w = Build();
  w.bFastMode = true;
  w.iGeneration = 3;
  w.iLastHeaderGeneration = 3;
  w.bDrawnThisGeneration = false;
  Surface s;
  Render(w, s);
  EXPECT_TRUE(NonWhiteIn(s, 0, 0, 511, 19).empty());
  EXPECT_FALSE(NonWhiteIn(s, 0, 40, 511, 79).empty());
  EXPECT_TRUE(w.bDrawnThisGeneration);
}

TEST_F(Header, FastModeHeaderAloneWhenGenerationChangedButPanelDrawn) {
  World& w = Build();
  w.bFastMode = true;
  w.iGeneration = 5;
  w.iLastHeaderGeneration = 4;
  w.bDrawnThisGeneration = true;
  Surface s;
  Render(w, s);
  ExpectHeader(s, "Generation: 5");
  EXPECT_EQ(w.iLastHeaderGeneration, 5);
}

TEST_F(Header, RunningWorldDrawsThePanelAfterEachGenerationEnd) {
  ParamsRecord p = DefaultParamsRecord();
  p.TicksPerGeneration = 3;
  World& w = Build(p);
  w.bFastMode = true;
  int panels = 0;
  while (w.iGeneration < 3) {
    ASSERT_TRUE(w.Update());
    if (!w.bDrawnThisGeneration) {
      Surface s;
      Render(w, s);
      ++panels;
      EXPECT_TRUE(w.bDrawnThisGeneration);
      EXPECT_FALSE(NonWhiteIn(s, 0, 40, 511, 79).empty());
    }
  }
  // Once before the first generation end, then once after each.
  EXPECT_EQ(panels, 4);
}
