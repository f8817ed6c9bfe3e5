// Building and tearing down the World.
#include "world/world.h"

#include "genetics/weight_file.h"
#include "geometry/arena.h"
#include "params/params.h"

namespace {
constexpr CellRect kCells[8] = {
    {1, 1, 170, 170},     {171, 1, 340, 170},     {341, 1, 510, 170},     {1, 171, 170, 340},
    {341, 171, 510, 340}, {1, 341, 170, 510},     {171, 341, 340, 510},   {341, 341, 510, 510},
};
}  // namespace

World::World(void* window) {
  iNumCritters = Params.CritterCount;
  iNumFungi = Params.FungusCount;

  hWnd = window;
  iTicks = 0;
  iGeneration = 0;
  bFastMode = false;
  iGraphWidth = iGraphHeight = kArenaPixels;
  for (int c = 0; c < 8; ++c) rcCells[c] = kCells[c];
  iNextFungusCell = 0;

  vecStartPositions.assign(static_cast<std::size_t>(iNumCritters), Vec2D{0.0, 0.0});
  PlaceStarts();

  vecCritters.reserve(static_cast<std::size_t>(iNumCritters));
  vecStartOrder.reserve(static_cast<std::size_t>(iNumCritters));
  for (int i = 0; i < iNumCritters; ++i) {
    const Vec2D& start = vecStartPositions[static_cast<std::size_t>(i)];
    vecCritters.emplace_back(i, start.x, start.y);
    vecStartOrder.push_back(i);
  }

  iNumWeights = vecCritters.empty() ? 0 : vecCritters[0].Net.WeightCount();
  pGA = std::make_unique<GeneticAlgorithm>(iNumCritters, iNumWeights);
  vecPopulation = pGA->GetPopulation();
  LoadAllWeights();
  for (int i = 0; i < iNumCritters; ++i)
    vecCritters[static_cast<std::size_t>(i)].Net.LoadWeights(vecPopulation[static_cast<std::size_t>(i)].vecNetWeights);

  vecFungi.reserve(static_cast<std::size_t>(iNumFungi));
  for (int i = 0; i < iNumFungi; ++i) vecFungi.push_back(PlaceFungus(i % 8));

  hBluePen = kBluePen;
  hRedPen = kRedPen;
  hGreenPen = kGreenPen;
  hOldPen = kNoPen;

  vecCritterShape = kCritterShape;
  vecFungusShape = kFungusShape;

  iWins = iNumSaves = 0;
  dBestComposite = dComposite = 0.0;
  dBestFitnessRollingAvg = dAvgFitnessRollingAvg = 0.0;
  dBestScaled = dBestWorstFitnessRatio = dBestAvgRollingRatio = 0.0;
  bDrawnThisGeneration = bSaveAllPending = bShowSensors = false;
  iLastHeaderGeneration = -1;

  dChanceWinRate = static_cast<double>(Params.EliteCount) / static_cast<double>(Params.CritterCount);
  dTickScale = Params.TicksPerGeneration * (1.0 / 2048.0);
}

World::~World() = default;

void World::SaveAllWeights() { ::SaveAllWeights(vecPopulation, iNumCritters, iNumWeights); }

void World::LoadAllWeights() { ::LoadAllWeights(vecPopulation, iNumCritters, iNumWeights); }
