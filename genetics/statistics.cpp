// Fitness statistics of an evaluated generation.
#include <algorithm>

#include "genetics/genetic_algorithm.h"
#include "params/params.h"

void GeneticAlgorithm::ComputeStatistics() {
  dTotalFitness = 0.0;
  dBestFitness = 0.0;
  dWorstFitness = 9999999.0;
  // The indexes are not reset: with no better value they keep the last ones.
  for (int i = 0; i < iPopulationSize; ++i) {
    const double f = vecGenomes[static_cast<std::size_t>(i)].dFitness;
    if (f > dBestFitness) {
      dBestFitness = f;
      iBestIndex = i;
    }
    if (f < dWorstFitness) {
      dWorstFitness = f;
      iWorstIndex = i;
    }
    dTotalFitness = dTotalFitness + f;
  }
}

void GeneticAlgorithm::Evaluate(const Population& worldGenomes) {
  vecGenomes = worldGenomes;
  ComputeStatistics();
  std::stable_sort(vecGenomes.begin(), vecGenomes.end());
}

Population GeneticAlgorithm::PrependElite(const Population& worldGenomes) const {
  Population result;
  result.reserve(static_cast<std::size_t>(std::max(iPopulationSize, 0)));
  if (EliteAllowed()) CopyElite(result);
  for (std::size_t i = 0; static_cast<int>(result.size()) < iPopulationSize; ++i) result.push_back(worldGenomes[i]);
  return result;
}
