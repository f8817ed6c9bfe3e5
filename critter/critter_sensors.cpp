// How a critter finds its target fungus and sees around the central block.
#include <algorithm>
#include <cmath>

#include "common/constants.h"
#include "critter/critter.h"
#include "geometry/arena.h"
#include "log/debug_log.h"
#include "math/correctly_rounded.h"
#include "params/params.h"

namespace {

// Fungi are measured in chunks: the distances of a chunk first (a loop the
// compiler turns into paired square roots), then its nearest.
constexpr int kChunk = 64;

// The distance of each of m fungi from (px, py), each a rounded square root
// exactly as one at a time would give it.
void Distances(const Vec2D* fungi, int m, double px, double py, double* d) {
  for (int k = 0; k < m; ++k) {
    const double dx = fungi[k].x - px, dy = fungi[k].y - py;
    d[k] = std::sqrt(dx * dx + dy * dy);
  }
}

// The smallest of m distances, in four independent lanes so that the
// comparisons do not wait on each other. A NaN is never taken, as in a
// plain scan with a strict comparison.
double Smallest(const double* d, int m) {
  double low[4] = {HUGE_VAL, HUGE_VAL, HUGE_VAL, HUGE_VAL};
  int k = 0;
  for (; k + 4 <= m; k += 4)
    for (int j = 0; j < 4; ++j) low[j] = d[k + j] < low[j] ? d[k + j] : low[j];
  for (; k < m; ++k) low[0] = d[k] < low[0] ? d[k] : low[0];
  const double a = low[1] < low[0] ? low[1] : low[0];
  const double b = low[3] < low[2] ? low[3] : low[2];
  return b < a ? b : a;
}

}  // namespace

// The nearest fungus: strictly nearer than 99999 and than every fungus
// before it, so of equally near fungi the lowest index wins; 0 when none.
// An excluded fungus counts as infinitely far, so it is never taken.
int NearestFungus(const std::vector<Vec2D>& fungi, double px, double py, const unsigned char* excluded) {
  double best = 99999.0;
  int bestIndex = 0;
  double d[kChunk];
  const int n = static_cast<int>(fungi.size());
  for (int base = 0; base < n; base += kChunk) {
    const int m = std::min(kChunk, n - base);
    Distances(fungi.data() + base, m, px, py, d);
    if (excluded)
      for (int k = 0; k < m; ++k)
        if (excluded[base + k]) d[k] = HUGE_VAL;
    const double low = Smallest(d, m);
    if (low < best) {
      int k = 0;
      while (!(d[k] == low)) ++k;
      best = low;
      bestIndex = base + k;
    }
  }
  return bestIndex;
}

namespace {

// A fungus's distance from the arena centre.
double CentreDistanceOf(const Vec2D& f) {
  const double tx = f.x - kArenaCentre, ty = f.y - kArenaCentre;
  return std::sqrt(tx * tx + ty * ty);
}

}  // namespace

void Critter::AimAt(const Vec2D& f) {
  const double tx = f.x - kArenaCentre, ty = f.y - kArenaCentre;
  dTargetBearing = CrAtan2(ty - dRelY, tx - dRelX);
}

double Critter::FindClosestFungus(const std::vector<Vec2D>& fungi) {
  iTarget = NearestFungus(fungi, dPosX, dPosY);
  AimAt(fungi[iTarget]);
  return CentreDistanceOf(fungi[iTarget]);
}

bool Critter::SightLineBesideBlock(const Vec2D& f) const {
  const double L = g_Arena.dBlockMin, H = g_Arena.dBlockMax;
  const double minX = std::fmin(f.x, dPosX), maxX = std::fmax(f.x, dPosX);
  const double minY = std::fmin(f.y, dPosY), maxY = std::fmax(f.y, dPosY);
  return maxX < L || minX > H || maxY < L || minY > H;
}

bool Critter::FarApartAroundCentre(double t) const { return dCentreDistance + t > kSightReach; }

bool Critter::IsSightBlocked(double t, const Vec2D& f) const {
  return !FarApartAroundCentre(t) && !SightLineBesideBlock(f) && SightLineCrossesBlock(f);
}

bool Critter::SightLineCrossesBlock(const Vec2D& f) const {
  const Vec2D a{dPosX, dPosY};
  const WallSegment sight{dPosX, dPosY, f.x, f.y};
  for (const WallSegment& wall : g_Arena.BlockWalls) {
    Vec2D p;
    if (IntersectLines(a, f, wall, p) && IsOnSegment(wall, p) && IsOnSegment(sight, p)) return true;
  }
  return false;
}

bool IntersectLines(const Vec2D& a, const Vec2D& b, const WallSegment& w, Vec2D& p) {
  const double d = (w.y2 - w.y1) * (b.x - a.x) - (w.x2 - w.x1) * (b.y - a.y);
  if (d == 0.0) return false;
  const double e = a.x * b.y - a.y * b.x;
  const double l = w.x1 * w.y2 - w.x2 * w.y1;
  p.x = std::fabs(((w.x2 - w.x1) * e - (b.x - a.x) * l) / d);
  p.y = std::fabs(((w.y2 - w.y1) * e - (b.y - a.y) * l) / d);
  return true;
}

bool IsOnSegment(const WallSegment& w, const Vec2D& p) {
  constexpr double eps = 1e-8, delta = 1e-6;
  const double minX = std::fmin(w.x1, w.x2), maxX = std::fmax(w.x1, w.x2);
  const double minY = std::fmin(w.y1, w.y2), maxY = std::fmax(w.y1, w.y2);
  if (p.x < minX - eps || p.x > maxX + eps || p.y < minY - eps || p.y > maxY + eps) return false;
  if (maxX - minX < delta || maxY - minY < delta) return true;
  double u = (p.x - minX) / (maxX - minX);
  if (w.x2 < w.x1) u = 1 - u;
  double v = (p.y - minY) / (maxY - minY);
  if (w.y2 < w.y1) v = 1 - v;
  return v - delta <= u && u <= v + delta;
}

void Critter::FindClosestAllowedFungus(const std::vector<Vec2D>& fungi) {
  iTarget = NearestFungus(fungi, dPosX, dPosY, g_Arena.vecExcluded.data());
}

void Critter::GetFungusAwayFromWall(const std::vector<Vec2D>& fungi) {
  std::vector<unsigned char>& excluded = g_Arena.vecExcluded;
  // A list longer than the flags would only come from a caller outside the
  // World; grow rather than write past the end.
  if (excluded.size() < fungi.size()) excluded.resize(fungi.size());
  std::fill(excluded.begin(), excluded.end(), 0);

  // Candidates in order of distance; the last one picked when the count
  // runs out is taken without a test.
  excluded[iTarget] = 1;
  int count = 1;
  FindClosestAllowedFungus(fungi);
  while (IsSightBlocked(CentreDistanceOf(fungi[iTarget]), fungi[iTarget])) {
    excluded[iTarget] = 1;
    FindClosestAllowedFungus(fungi);
    ++count;
    if (count >= Params.FungusCount) {
      LogMessage("GetFungusAwayFromWall can't find a fungus!");
      break;
    }
  }
  AimAt(fungi[iTarget]);
}

double RelativeBearing(double h, double b) {
  if ((h < 0) == (b < 0)) return (b - h) / kPi;
  if (h >= 0 && b < 0) {
    const double d = h - b, a = kTwoPi - d;
    return a <= d ? a / kPi : -d / kPi;
  }
  const double d = b - h, a = kTwoPi - d;
  return d <= a ? d / kPi : -a / kPi;
}

void Critter::Sense(const std::vector<Vec2D>& fungi) {
  iTarget = NearestFungus(fungi, dPosX, dPosY);
  const Vec2D& f = fungi[iTarget];
  AimAt(f);
  // The sight test, cheapest part first: most sight lines pass beside the
  // block, which clears them before the fungus's distance from the centre
  // is worked out. Each part can only clear the view, so the order changes
  // nothing.
  if (SightLineBesideBlock(f) || FarApartAroundCentre(CentreDistanceOf(f))) return;
  if (SightLineCrossesBlock(f)) GetFungusAwayFromWall(fungi);
}
