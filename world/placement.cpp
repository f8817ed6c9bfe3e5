// Where fungi and start positions go: rejection sampling in the outer cells.
#include <cmath>
#include <utility>

#include "common/random.h"
#include "world/world.h"

namespace {
double Distance(const Vec2D& a, double x, double y) {
  const double dx = a.x - x, dy = a.y - y;
  return std::sqrt(dx * dx + dy * dy);
}
}  // namespace

Vec2D World::PlaceFungus(int cell) const {
  const CellRect& r = rcCells[cell];
  for (;;) {
    const double x = r.left + RandomInt() % (r.right - r.left + 1);
    const double y = r.top + RandomInt() % (r.bottom - r.top + 1);
    const Vec2D spot{x, y};
    if (!IsNearCritter(spot)) return spot;
  }
}

bool World::IsNearCritter(const Vec2D& spot) const {
  for (const Critter& c : vecCritters)
    if (Distance(spot, c.dPosX, c.dPosY) <= 10.0) return true;
  return false;
}

Vec2D World::DrawStartSpot(int cell) const {
  const CellRect& r = rcCells[cell];
  const double x = (r.left + 5) + RandomInt() % (r.right - r.left - 9);
  const double y = (r.top + 5) + RandomInt() % (r.bottom - r.top - 9);
  return {x, y};
}

bool World::PlaceStart(int cell, int i, Vec2D& spot) const {
  for (int draw = 0; draw < kMaxStartDraws; ++draw) {
    spot = DrawStartSpot(cell);
    if (!IsNearEarlierStart(i, spot)) return true;
  }
  return false;
}

bool World::IsNearEarlierStart(int count, const Vec2D& spot) const {
  for (int i = 0; i < count; ++i)
    if (Distance(vecStartPositions[static_cast<std::size_t>(i)], spot.x, spot.y) <= 50.0) return true;
  return false;
}

void World::PlaceStarts() {
  // A crowded layout can leave no admissible spot; then the whole call
  // starts over rather than searching forever.
  for (;;) {
    bool placed = true;
    for (int i = 0; i < iNumCritters && placed; ++i)
      placed = PlaceStart(i % 8, i, vecStartPositions[static_cast<std::size_t>(i)]);
    if (placed) return;
  }
}

void World::ShuffleStartOrder() {
  const int n = iNumCritters;
  if (n < 2) return;  // no partner to swap with
  for (int pass = 0; pass < 8; ++pass) {
    for (int i = 0; i < n; ++i) {
      int j = RandomInt() % n;
      while (j == i) j = RandomInt() % n;
      std::swap(vecStartOrder[static_cast<std::size_t>(i)], vecStartOrder[static_cast<std::size_t>(j)]);
    }
  }
}
