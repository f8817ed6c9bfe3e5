#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "common/random.h"
#include "support/temp_dir.h"
#include "tests/support/test_params.h"
#include "world/world.h"

// A World built from the default parameters (with changes) in an empty
// temporary directory, so no weight file or log of another test is seen.
class WorldTest : public ::testing::Test {
 protected:
  std::unique_ptr<World> Build(ParamsRecord p, std::uint32_t seed = 1) {
    params_.reset();  // restore first, so the old values come back in order
    params_ = std::make_unique<ScopedParams>(p);
    SeedRandom(seed);
    return std::make_unique<World>();
  }

  void SetUp() override { dir_.Enter(); }

  TempDir dir_;
  std::unique_ptr<ScopedParams> params_;
};

inline int CellOf(const World& w, double x, double y) {
  for (int c = 0; c < 8; ++c) {
    const CellRect& r = w.rcCells[c];
    if (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom) return c;
  }
  return -1;
}
