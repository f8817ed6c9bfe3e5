#pragma once

#include <span>
#include <vector>

#include "common/vec2d.h"
#include "critter/arena_geometry.h"
#include "critter/neural_net.h"
#include "geometry/point2d.h"

enum CollisionState : int { Free = 0, ArenaEdge = 1, CentralBlock = 2 };

// One critter: a point body with a heading, its own network, its score, and
// what its sensing and collisions keep from one tick to the next.
class Critter {
 public:
  // Builds the network (drawing its random weights), prepares the arena
  // geometry, and puts the critter at (x, y).
  Critter(int index, double x, double y);

  // Puts the critter at (x, y) facing along the clockwise tangent around the
  // arena centre; clears score, target, marker and collision. Keeps the
  // network and the target bearing.
  void Reset(double x, double y);

  // One tick: sense, run the network, move. False when the network gave
  // fewer than OutputCount outputs (the wrong number of inputs).
  bool Step(const std::vector<Vec2D>& fungi, bool display);

  // The index of the target fungus when the critter is free and within 5
  // units of it (reward set to 100), else -1 (reward untouched).
  int TryEat(const std::vector<Vec2D>& fungi, double& reward) const;

  // Sensing.
  double FindClosestFungus(const std::vector<Vec2D>& fungi);
  bool IsSightBlocked(double t, const Vec2D& fungus) const;
  void FindClosestAllowedFungus(const std::vector<Vec2D>& fungi);
  void GetFungusAwayFromWall(const std::vector<Vec2D>& fungi);

  // Movement.
  void Move(double o0, double o1);
  double Turn(double h, double diff) const;
  void CheckCollision(double nx, double ny);
  void CheckRelease(double nx, double ny);

  // Maps a copy of a shape to the critter's place and display heading.
  void WorldTransform(std::span<Point2D> shape, double scale) const;

  NeuralNet Net;
  double dPosX = 0.0, dPosY = 0.0;
  double dRelX = 0.0, dRelY = 0.0;
  double dMarkerX = -1.0, dMarkerY = -1.0;
  double dTargetBearing = 0.0;
  double dCentreDistance = 0.0;
  double dDisplayHeading = 0.0;
  double dHeading = 0.0;
  double dFitness = 0.0;
  int iTarget = -1;
  int iIndex = 0;
  int iCollision = Free;

 private:
  void Sense(const std::vector<Vec2D>& fungi);
  void AimAt(const Vec2D& fungus);
  // The parts of the sight test. A critter and a fungus whose distances
  // from the centre add up to more than kSightReach always see each other.
  bool FarApartAroundCentre(double t) const;
  // The sight line's box lies wholly beside, above or below the block.
  bool SightLineBesideBlock(const Vec2D& fungus) const;
  // The sight line meets a side of the block.
  bool SightLineCrossesBlock(const Vec2D& fungus) const;
  bool Think(double input, double& o0, double& o1) const;
};

// Index of the fungus nearest to (px, py): of equally near fungi the lowest
// index; 0 when none is nearer than 99999 units. With flags, a fungus whose
// flag is set is skipped.
int NearestFungus(const std::vector<Vec2D>& fungi, double px, double py, const unsigned char* excluded = nullptr);

// The crossing point of the line through a and b with the line through the
// wall's end points; false for parallel lines.
bool IntersectLines(const Vec2D& a, const Vec2D& b, const WallSegment& w, Vec2D& p);

// Whether p lies on the segment, with the system's tolerances.
bool IsOnSegment(const WallSegment& w, const Vec2D& p);

// The angle from heading h to bearing b, brought into [-pi, pi] and divided
// by pi: the network's one input.
double RelativeBearing(double h, double b);
