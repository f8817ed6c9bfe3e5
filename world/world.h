#pragma once

#include <memory>
#include <vector>

#include "common/vec2d.h"
#include "critter/critter.h"
#include "genetics/genetic_algorithm.h"
#include "geometry/arena.h"
#include "geometry/pen.h"
#include "geometry/point2d.h"

// An inclusive rectangle of whole arena units.
struct CellRect {
  int left, top, right, bottom;
};

// The one simulation object: critters, their genomes, fungi, start
// positions, the genetic algorithm and the run's statistics. A plain record:
// the drawing and the window read and switch its fields directly.
class World {
 public:
  // Builds the whole world from Params; hWnd owns its message boxes.
  explicit World(void* hWnd = nullptr);
  ~World();
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  // One tick of every critter, or the generation end once the generation's
  // ticks are used up. False when a critter's step failed (the message has
  // been shown); the run must stop.
  bool Update();

  // The generation end: statistics, composite score, log, save, breeding,
  // new starts and fungi. Always true.
  bool RunGeneration();

  // Placement.
  Vec2D PlaceFungus(int cell) const;
  bool IsNearCritter(const Vec2D& spot) const;
  // One candidate start spot (x drawn first), at least 5 units inside the cell.
  Vec2D DrawStartSpot(int cell) const;
  // False when no admissible spot turned up within kMaxStartDraws draws.
  bool PlaceStart(int cell, int i, Vec2D& spot) const;
  bool IsNearEarlierStart(int count, const Vec2D& spot) const;
  void PlaceStarts();
  void ShuffleStartOrder();

  // The weight file, over vecPopulation.
  void SaveAllWeights();
  void LoadAllWeights();

  // Spots drawn by one PlaceStart before the whole PlaceStarts starts over.
  static constexpr int kMaxStartDraws = 1000000;

  std::vector<Genome> vecPopulation;
  std::vector<Critter> vecCritters;
  std::vector<Vec2D> vecFungi;
  std::vector<Vec2D> vecStartPositions;
  std::vector<int> vecStartOrder;
  std::unique_ptr<GeneticAlgorithm> pGA;
  int iNumCritters = 0;
  int iNumFungi = 0;
  int iNumWeights = 0;
  int iNumSaves = 0;
  Shape vecCritterShape;
  Shape vecFungusShape;
  std::vector<double> vecAvgRollingHistory;
  std::vector<double> vecBestRollingHistory;
  CellRect rcCells[8] = {};
  double dBestFitnessRollingAvg = 0.0;
  double dAvgFitnessRollingAvg = 0.0;
  double dComposite = 0.0;
  double dBestComposite = 0.0;
  double dBestScaled = 0.0;
  double dBestWorstFitnessRatio = 0.0;
  double dBestAvgRollingRatio = 0.0;
  double dChanceWinRate = 0.0;
  double dTickScale = 0.0;
  Pen hRedPen = kNoPen;
  Pen hBluePen = kNoPen;
  Pen hGreenPen = kNoPen;
  Pen hOldPen = kNoPen;
  void* hWnd = nullptr;
  int iTicks = 0;
  int iNextFungusCell = 0;
  int iGeneration = 0;
  int iLastHeaderGeneration = -1;
  int iWins = 0;
  int iGraphWidth = kArenaPixels;  // the graphs span the arena
  int iGraphHeight = kArenaPixels;
  bool bFastMode = false;
  bool bDrawnThisGeneration = false;
  bool bSaveAllPending = false;
  bool bShowSensors = false;
};
