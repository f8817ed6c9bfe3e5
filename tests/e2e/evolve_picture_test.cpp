// vexlora-evolve --picture: the statistics panel of the last generation as a PNG.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/pen.h"
#include "render/surface.h"
#include "support/temp_dir.h"
#include "tests/e2e/run_program.h"

namespace {

const std::string kEvolve = VEXLORA_EVOLVE;
const std::string kSource = VEXLORA_SOURCE_DIR;

int Count(const std::vector<std::uint32_t>& pixels, std::uint32_t colour) {
  int n = 0;
  for (const std::uint32_t p : pixels) n += p == colour ? 1 : 0;
  return n;
}

}  // namespace

TEST(EvolvePicture, WritesThePanelAsA512SquarePng) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), ReadFile(kSource + "/params.ini"));
  const ProgramResult r =
      RunProgram(dir.path().string(), Quote(kEvolve) + " --quiet --seed 1 --generations 5 --picture panel.png");
  ASSERT_EQ(r.status, 0) << r.err;

  std::vector<std::uint32_t> pixels;
  int w = 0;
  int h = 0;
  ASSERT_TRUE(LoadPngPixels(dir.File("panel.png"), pixels, w, h));
  EXPECT_EQ(w, 512);
  EXPECT_EQ(h, 512);
  EXPECT_GT(Count(pixels, kBluePen), 0);  // the average scores
  EXPECT_GT(Count(pixels, kRedPen), 0);   // the best scores
  // Header and panel texts at the top left, nothing of the arena.
  EXPECT_EQ(Count(pixels, kGreenPen), 0);
  int inkTop = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 512; ++x) inkTop += pixels[static_cast<std::size_t>(y) * 512 + x] != kWhite ? 1 : 0;
  EXPECT_GT(inkTop, 500);
}

TEST(EvolvePicture, UnwritablePathFails) {
  TempDir dir;
  WriteFile(dir.File("params.ini"), ReadFile(kSource + "/params.ini"));
  const ProgramResult r = RunProgram(dir.path().string(),
                                     Quote(kEvolve) + " --quiet --seed 1 --generations 1 --picture no/such/dir/p.png");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("cannot write no/such/dir/p.png: No such file or directory"), std::string::npos) << r.err;

  // A full device takes the file but not its bytes.
  const ProgramResult full =
      RunProgram(dir.path().string(), Quote(kEvolve) + " --quiet --seed 1 --generations 1 --picture /dev/full");
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.err.find("cannot write /dev/full: No space left on device"), std::string::npos) << full.err;
}
