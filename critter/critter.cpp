#include "critter/critter.h"

#include <cmath>

#include "common/constants.h"
#include "geometry/arena.h"
#include "geometry/matrix2d.h"
#include "math/correctly_rounded.h"

Critter::Critter(int index, double x, double y) : Net() {
  PrepareArenaGeometry();
  iIndex = index;
  Reset(x, y);
}

void Critter::Reset(double x, double y) {
  dPosX = x;
  dPosY = y;
  dRelX = x - kArenaCentre;
  dRelY = y - kArenaCentre;
  dCentreDistance = std::sqrt(dRelX * dRelX + dRelY * dRelY);
  const double a = CrAtan2(dRelY, dRelX) + kHalfPi;
  dDisplayHeading = a;
  dHeading = a > kPi ? a - kTwoPi : a;
  dMarkerX = dMarkerY = -1.0;
  dFitness = 0.0;
  iCollision = Free;
  iTarget = -1;
}

void Critter::WorldTransform(std::span<Point2D> shape, double scale) const {
  Matrix2D m;
  m.Scale(scale, scale);
  double a = dDisplayHeading - kHalfPi;
  if (a < -kPi) a = a + kTwoPi;
  m.Rotate(a);
  m.Translate(dPosX, dPosY);
  m.TransformPoints(shape);
}
