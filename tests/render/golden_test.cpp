// The two stored pictures: the arena of a seeded run and its statistics
// panel, compared pixel for pixel. VEXLORA_UPDATE_GOLDEN=1 rewrites them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/arena_view.h"
#include "tests/render/render_fixture.h"

namespace {

std::string GoldenPath(const std::string& name) {
  return std::string(VEXLORA_SOURCE_DIR) + "/tests/render/golden/" + name;
}

bool UpdateRequested() {
  const char* v = std::getenv("VEXLORA_UPDATE_GOLDEN");
  return v != nullptr && std::string(v) == "1";
}

void CompareWithGolden(const Surface& s, const std::string& name) {
  const std::string path = GoldenPath(name);
  if (UpdateRequested()) {
    ASSERT_TRUE(s.SavePng(path)) << path;
    GTEST_SKIP() << "rewrote " << path;
  }
  std::vector<std::uint32_t> pixels;
  int w = 0;
  int h = 0;
  ASSERT_TRUE(LoadPngPixels(path, pixels, w, h)) << "cannot read " << path;
  ASSERT_EQ(w, Surface::kWidth);
  ASSERT_EQ(h, Surface::kHeight);
  int differing = 0;
  int firstX = -1;
  int firstY = -1;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (pixels[static_cast<std::size_t>(y) * w + x] != s.Pixel(x, y)) {
        if (differing++ == 0) {
          firstX = x;
          firstY = y;
        }
      }
    }
  }
  if (differing != 0) {
    const std::string actual = ::testing::TempDir() + "actual_" + name;
    s.SavePng(actual);
    ADD_FAILURE() << differing << " pixels differ from " << path << ", the first at (" << firstX << ", " << firstY
                  << "); this run's picture: " << actual;
  }
}

}  // namespace

using Golden = RenderTest;

TEST_F(Golden, ArenaOfSeedOneAfterHundredTicks) {
  World& w = Build(DefaultParamsRecord(), 1);
  w.bShowSensors = true;
  for (int t = 0; t < 100; ++t) ASSERT_TRUE(w.Update());
  Surface s;
  Render(w, s);
  // The picture must show something of each kind before it is stored.
  ASSERT_GT(PixelsOf(s, kGreenPen).size(), 680u);  // more than the block outline
  ASSERT_FALSE(PixelsOf(s, kRedPen).empty());
  ASSERT_FALSE(PixelsOf(s, kBlackPen).empty());
  CompareWithGolden(s, "arena_seed1_100_ticks.png");
}

TEST_F(Golden, StatisticsPanelOfSeedOneAfterTenGenerations) {
  ParamsRecord p = DefaultParamsRecord();
  p.TicksPerGeneration = 1000;
  World& w = Build(p, 1);
  w.bFastMode = true;
  while (w.iGeneration < 10) ASSERT_TRUE(w.Update());
  Surface s;
  Render(w, s);
  ASSERT_FALSE(PixelsOf(s, kBluePen).empty());
  ASSERT_FALSE(PixelsOf(s, kRedPen).empty());
  CompareWithGolden(s, "stats_seed1_10_generations.png");
}
