#include "genetics/genetic_algorithm.h"

#include "common/random.h"
#include "params/params.h"

GeneticAlgorithm::GeneticAlgorithm(int populationSize, int genomeLength)
    : iPopulationSize(populationSize),
      iGenomeLength(genomeLength),
      dMutationRate(Params.MutationRate),
      dCrossoverRate(Params.CrossoverRate) {
  for (int i = 0; i < iPopulationSize; ++i) {
    Genome genome;
    genome.vecNetWeights.reserve(iGenomeLength > 0 ? static_cast<std::size_t>(iGenomeLength) : 0);
    for (int j = 0; j < iGenomeLength; ++j) genome.vecNetWeights.push_back(RandomSigned());
    vecGenomes.push_back(std::move(genome));
  }
}

bool GeneticAlgorithm::EliteAllowed() {
  // In 64 bits: the parity must not depend on an overflow.
  return (static_cast<long long>(Params.EliteCount) * Params.EliteCopyFactor) % 2 == 0;
}
