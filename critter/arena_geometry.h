#pragma once

#include <vector>

// A straight piece from (x1, y1) to (x2, y2).
struct WallSegment {
  double x1, y1, x2, y2;
};

// The fixed geometry of the arena that every critter senses and moves in:
// the open square 0 < x, y < 511 with the closed central block
// [511/3, 1022/3] on both axes.
struct ArenaGeometry {
  double dCentreX = 255.5;
  double dCentreY = 255.5;
  double dArenaSize = 511.0;
  double dBlockMin = 511.0 / 3.0;
  double dBlockMax = 1022.0 / 3.0;
  WallSegment BlockWalls[4] = {};  // top, right, bottom, left
  std::vector<unsigned char> vecExcluded;  // one flag per fungus, scratch for the fallback search
  bool bGeometryReady = false;
};

// The one program-wide record.
extern ArenaGeometry g_Arena;

// Fills the record on first use. Every call also makes sure vecExcluded has
// one flag per fungus of the current FungusCount, so a World built later in
// the same run with more fungi never writes past the flags.
void PrepareArenaGeometry();
