#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <utility>

#include "common/random.h"
#include "params/params.h"
#include "render/surface.h"
#include "support/temp_dir.h"
#include "tests/support/test_params.h"
#include "world/world.h"

using PixelSet = std::set<std::pair<int, int>>;

// A World from the default parameters (with changes) in an empty temporary
// directory, so no weight file of another run is loaded, and a white surface.
class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_.Enter(); }

  World& Build(ParamsRecord p = DefaultParamsRecord(), std::uint32_t seed = 1) {
    // The old world and parameters go first, so a second Build starts from
    // the same Params as the first.
    world_.reset();
    params_.reset();
    params_ = std::make_unique<ScopedParams>(p);
    SeedRandom(seed);
    world_ = std::make_unique<World>();
    return *world_;
  }

  // Every fungus and critter far off the surface, where nothing of them is drawn.
  void ClearArena() {
    for (Vec2D& f : world_->vecFungi) f = {-1000.0, -1000.0};
    for (Critter& c : world_->vecCritters) {
      c.dPosX = -1000.0;
      c.dPosY = -1000.0;
      c.dMarkerX = c.dMarkerY = -1.0;
    }
  }

  TempDir dir_;
  std::unique_ptr<ScopedParams> params_;
  std::unique_ptr<World> world_;
};

inline PixelSet PixelsOf(const Surface& s, std::uint32_t colour) {
  PixelSet out;
  for (int y = 0; y < Surface::kHeight; ++y)
    for (int x = 0; x < Surface::kWidth; ++x)
      if (s.Pixel(x, y) == colour) out.insert({x, y});
  return out;
}

// Text ink and figures alike: every pixel that is not white.
inline PixelSet NonWhite(const Surface& s) {
  PixelSet out;
  for (int y = 0; y < Surface::kHeight; ++y)
    for (int x = 0; x < Surface::kWidth; ++x)
      if (s.Pixel(x, y) != kWhite) out.insert({x, y});
  return out;
}

inline PixelSet NonWhiteIn(const Surface& s, int left, int top, int right, int bottom) {
  PixelSet out;
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x)
      if (s.Pixel(x, y) != kWhite) out.insert({x, y});
  return out;
}

// The number of pixels where two surfaces differ.
inline int Differences(const Surface& a, const Surface& b) {
  int n = 0;
  for (int y = 0; y < Surface::kHeight; ++y)
    for (int x = 0; x < Surface::kWidth; ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) ++n;
  return n;
}
