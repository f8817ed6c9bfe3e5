// A critter's tick: thinking, turning, moving, collisions and eating.
#include <cmath>

#include "common/constants.h"
#include "critter/critter.h"
#include "critter/motor.h"
#include "geometry/arena.h"
#include "math/correctly_rounded.h"
#include "params/params.h"

bool Critter::Think(double input, double& o0, double& o1) const {
  const double in[1] = {input};
  const std::span<const double> out = Net.Run(in);
  if (static_cast<long long>(out.size()) < Params.OutputCount || out.size() < 2) return false;
  o0 = out[0];
  o1 = out[1];
  return true;
}

bool Critter::Step(const std::vector<Vec2D>& fungi, bool display) {
  if (display) dDisplayHeading = dHeading;
  double o0 = 0.0, o1 = 0.0;
  if (iCollision != Free) {
    // Held: no sensing, a constant input; turning on the spot until free.
    if (!Think(-1.0, o0, o1)) return false;
    Move(o0, o1);
    if (iCollision != Free) {
      if (display) dMarkerX = dMarkerY = -1.0;
      return true;
    }
    // Just released: sense and move once more in this tick.
  }
  Sense(fungi);
  if (display) {
    dMarkerX = fungi[iTarget].x;
    dMarkerY = fungi[iTarget].y;
  }
  if (!Think(RelativeBearing(dHeading, dTargetBearing), o0, o1)) return false;
  Move(o0, o1);
  return true;
}

void Critter::Move(double o0, double o1) {
  const double speed = SpeedForOutputs(o0, o1);
  dHeading = Turn(dHeading, o0 - o1);
  double sine, cosine;
  CrSinCos(dHeading, sine, cosine);
  const double nx = dPosX + cosine * speed;
  const double ny = dPosY + sine * speed;
  if (iCollision == Free)
    CheckCollision(nx, ny);
  else
    CheckRelease(nx, ny);
  if (iCollision == Free) {
    dPosX = nx;
    dPosY = ny;
    dRelX = nx - kArenaCentre;
    dRelY = ny - kArenaCentre;
    dCentreDistance = std::sqrt(dRelX * dRelX + dRelY * dRelY);
  }
}

double Critter::Turn(double h, double diff) const {
  double turned = h + TurnForOutputs(diff, iCollision == Free);
  if (turned > kPi)
    turned = turned - kTwoPi;
  else if (turned <= -kPi)
    turned = turned + kTwoPi;
  return turned;
}

void Critter::CheckCollision(double nx, double ny) {
  const double L = g_Arena.dBlockMin, H = g_Arena.dBlockMax;
  if (nx >= kArenaSize || nx <= 0 || ny >= kArenaSize || ny <= 0)
    iCollision = ArenaEdge;
  else if (L <= nx && nx <= H && L <= ny && ny <= H)
    iCollision = CentralBlock;
}

void Critter::CheckRelease(double nx, double ny) {
  const double L = g_Arena.dBlockMin, H = g_Arena.dBlockMax;
  if (iCollision == ArenaEdge) {
    if (0 < nx && nx < kArenaSize && 0 < ny && ny < kArenaSize) iCollision = Free;
  } else if (iCollision == CentralBlock) {
    if (nx < L || nx > H || ny < L || ny > H) iCollision = Free;
  }
}

int Critter::TryEat(const std::vector<Vec2D>& fungi, double& reward) const {
  if (iCollision != Free || iTarget < 0) return -1;
  const double dx = dPosX - fungi[iTarget].x, dy = dPosY - fungi[iTarget].y;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d < 5.0) {
    reward = 100.0;
    return iTarget;
  }
  return -1;
}
