// The arena view is drawn every frame: it copies shapes onto the stack and
// builds its texts in place, so drawing it calls operator new not once.
#include <gtest/gtest.h>

#include "render/arena_view.h"
#include "tests/support/alloc_counter.h"
#include "tests/render/render_fixture.h"

using RenderAllocation = RenderTest;

TEST_F(RenderAllocation, ArenaFrameAllocatesNothing) {
  World& w = Build();
  w.bShowSensors = true;
  for (int t = 0; t < 50; ++t) ASSERT_TRUE(w.Update());
  Surface s;

  long before = AllocationCount();
  s.FillWhite();
  Render(w, s);
  EXPECT_EQ(AllocationCount() - before, 0);
  EXPECT_FALSE(PixelsOf(s, kRedPen).empty());  // the frame was drawn

  // A long header ("...,  Num. Saves: 3") and the statistics panel's lines too.
  w.iNumSaves = 3;
  before = AllocationCount();
  s.FillWhite();
  Render(w, s);
  w.bFastMode = true;
  w.bDrawnThisGeneration = false;
  s.FillWhite();
  Render(w, s);
  EXPECT_EQ(AllocationCount() - before, 0);
  EXPECT_TRUE(w.bDrawnThisGeneration);
  w.bFastMode = false;

  before = AllocationCount();
  Surface direct;
  const long surfaceNews = AllocationCount() - before;  // the surface's own pixel buffer
  before = AllocationCount();
  RenderFungi(w, direct);
  for (int i = 0; i < w.iNumCritters; ++i) RenderCritter(w, direct, i);
  EXPECT_EQ(AllocationCount() - before, 0);
  EXPECT_GT(surfaceNews, 0);  // the counter does count
}
