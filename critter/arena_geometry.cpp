#include "critter/arena_geometry.h"

#include <cstddef>

#include "geometry/arena.h"
#include "params/params.h"

ArenaGeometry g_Arena;

void PrepareArenaGeometry() {
  if (!g_Arena.bGeometryReady) {
    g_Arena.dBlockMin = kBlockMin;
    g_Arena.dBlockMax = kBlockMax;
    g_Arena.dArenaSize = kArenaSize;
    g_Arena.dCentreX = g_Arena.dCentreY = kArenaCentre;
    const double L = g_Arena.dBlockMin, H = g_Arena.dBlockMax;
    g_Arena.BlockWalls[0] = {L, L, H, L};  // top
    g_Arena.BlockWalls[1] = {H, L, H, H};  // right
    g_Arena.BlockWalls[2] = {L, H, H, H};  // bottom
    g_Arena.BlockWalls[3] = {L, L, L, H};  // left
    g_Arena.bGeometryReady = true;
  }
  const std::size_t flags = Params.FungusCount > 0 ? static_cast<std::size_t>(Params.FungusCount) : 0;
  if (g_Arena.vecExcluded.size() != flags) g_Arena.vecExcluded.assign(flags, 0);
}
