// One tick of the simulation.
#include "common/message.h"
#include "params/params.h"
#include "world/world.h"

bool World::Update() {
  const int t = iTicks;
  ++iTicks;
  if (t >= Params.TicksPerGeneration) return RunGeneration();

  const bool display = !bFastMode;
  for (int i = 0; i < iNumCritters; ++i) {
    Critter& critter = vecCritters[static_cast<std::size_t>(i)];
    if (!critter.Step(vecFungi, display)) {
      ShowMessage(hWnd, "Wrong amount of NN inputs!", "Error");
      return false;
    }
    double reward = 0.0;
    const int eaten = critter.TryEat(vecFungi, reward);
    if (eaten != -1) {
      if (reward > 20) critter.dFitness += 1.0;
      const Vec2D spot = PlaceFungus(iNextFungusCell);
      if (++iNextFungusCell == 8) iNextFungusCell = 0;
      vecFungi[static_cast<std::size_t>(eaten)] = spot;
    }
    vecPopulation[static_cast<std::size_t>(i)].dFitness = critter.dFitness;
  }
  return true;
}
