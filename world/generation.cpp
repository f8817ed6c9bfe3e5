// The end of a generation: scores, log, save, breeding and a fresh arena.
#include "log/debug_log.h"
#include "params/params.h"
#include "world/world.h"

bool World::RunGeneration() {
  iTicks = 0;
  GeneticAlgorithm& ga = *pGA;
  ga.Evaluate(vecPopulation);
  if (ga.iBestIndex < Params.EliteCount) ++iWins;
  dBestWorstFitnessRatio = ga.dWorstFitness > 0 ? ga.dBestFitness / ga.dWorstFitness : 0.0;

  dBestScaled = ga.dBestFitness * 3 / dTickScale;
  const double averageScaled = ga.dTotalFitness / ga.iPopulationSize * 3 / dTickScale;
  if (iGeneration == 0) {
    dBestFitnessRollingAvg = dBestScaled;
    dAvgFitnessRollingAvg = averageScaled;
  } else {
    dBestFitnessRollingAvg = 0.5 * vecBestRollingHistory.back() + 0.5 * dBestScaled;
    dAvgFitnessRollingAvg = 0.5 * vecAvgRollingHistory.back() + 0.5 * averageScaled;
  }
  vecBestRollingHistory.push_back(dBestFitnessRollingAvg);
  vecAvgRollingHistory.push_back(dAvgFitnessRollingAvg);
  dBestAvgRollingRatio = dAvgFitnessRollingAvg > 0 ? dBestFitnessRollingAvg / dAvgFitnessRollingAvg : 0.0;
  dComposite = 2 * dAvgFitnessRollingAvg + 0.5 * dBestFitnessRollingAvg;

  if (dComposite > dBestComposite) {
    dBestComposite = dComposite;
    LogMessage("New BestComposite");
    LogGenerations(iGeneration);
    LogValue("BestComposite", dBestComposite);
    LogValue("dBestFitnessRollingAvg", dBestFitnessRollingAvg);
    LogValue("dAvgFitnessRollingAvg", dAvgFitnessRollingAvg);
    LogValue("dBestAvgRollingRatio", dBestAvgRollingRatio);
    LogValue("Best win percent",
             (static_cast<double>(iWins) / static_cast<double>(iGeneration + 1) - dChanceWinRate) * 100);
    LogIndexFitness("Best index", ga.iBestIndex,
                    static_cast<int>(vecCritters[static_cast<std::size_t>(ga.iBestIndex)].dFitness));
    LogIndexFitness("Worst index", ga.iWorstIndex,
                    static_cast<int>(vecCritters[static_cast<std::size_t>(ga.iWorstIndex)].dFitness));
    LogValue("BestWorstFitnessRatio", dBestWorstFitnessRatio);
    LogMessage("");
    if (dComposite > 125) bSaveAllPending = true;
  }
  ++iGeneration;

  if (bSaveAllPending) {
    vecPopulation = ga.PrependElite(vecPopulation);
    SaveAllWeights();
    ++iNumSaves;
    bSaveAllPending = false;
  }
  bDrawnThisGeneration = false;
  vecPopulation = ga.Epoch();

  PlaceStarts();
  ShuffleStartOrder();
  for (int i = 0; i < iNumCritters; ++i) {
    Critter& critter = vecCritters[static_cast<std::size_t>(i)];
    critter.Net.LoadWeights(vecPopulation[static_cast<std::size_t>(i)].vecNetWeights);
    const Vec2D& start = vecStartPositions[static_cast<std::size_t>(vecStartOrder[static_cast<std::size_t>(i)])];
    critter.Reset(start.x, start.y);
  }
  for (int i = 0; i < iNumFungi; ++i) vecFungi[static_cast<std::size_t>(i)] = PlaceFungus(i % 8);
  return true;
}
