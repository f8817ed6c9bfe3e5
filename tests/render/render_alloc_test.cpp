// The arena view is drawn every frame: it copies shapes onto the stack and
// builds its texts in place, so drawing it calls operator new not once.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "render/arena_view.h"
#include "tests/render/render_fixture.h"

namespace {
std::atomic<long> g_news{0};
}  // namespace

void* operator new(std::size_t size) {
  g_news.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using RenderAllocation = RenderTest;

TEST_F(RenderAllocation, ArenaFrameAllocatesNothing) {
  World& w = Build();
  w.bShowSensors = true;
  for (int t = 0; t < 50; ++t) ASSERT_TRUE(w.Update());
  Surface s;
  Render(w, s);  // the font is opened on first use

  long before = g_news.load();
  s.FillWhite();
  Render(w, s);
  EXPECT_EQ(g_news.load() - before, 0);
  EXPECT_FALSE(PixelsOf(s, kRedPen).empty());  // the frame was drawn

  before = g_news.load();
  Surface direct;
  const long surfaceNews = g_news.load() - before;  // the surface's own pixel buffer
  before = g_news.load();
  RenderFungi(w, direct);
  for (int i = 0; i < w.iNumCritters; ++i) RenderCritter(w, direct, i);
  EXPECT_EQ(g_news.load() - before, 0);
  EXPECT_GT(surfaceNews, 0);  // the counter does count
}
