#pragma once

#include <vector>

#include "geometry/arena.h"

// A straight piece from (x1, y1) to (x2, y2).
struct WallSegment {
  double x1, y1, x2, y2;
};

// The fixed geometry of the arena that every critter senses and moves in,
// filled from the arena's numbers (geometry/arena.h) with the block's sides
// and the sensing's scratch flags.
struct ArenaGeometry {
  double dCentreX = kArenaCentre;
  double dCentreY = kArenaCentre;
  double dArenaSize = kArenaSize;
  double dBlockMin = kBlockMin;
  double dBlockMax = kBlockMax;
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
