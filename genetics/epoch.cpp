// Breeding the next population.
#include "common/random.h"
#include "genetics/genetic_algorithm.h"
#include "params/params.h"

Population GeneticAlgorithm::Epoch() {
  Population next;
  next.reserve(static_cast<std::size_t>(iPopulationSize) + 1);
  if (EliteAllowed()) CopyElite(next);
  while (static_cast<int>(next.size()) < iPopulationSize) {
    const Genome& mum = SelectRoulette();
    const Genome& dad = SelectRoulette();
    Genome child1, child2;
    Crossover(mum.vecNetWeights, dad.vecNetWeights, child1.vecNetWeights, child2.vecNetWeights);
    Mutate(child1.vecNetWeights);
    Mutate(child2.vecNetWeights);
    next.push_back(std::move(child1));
    next.push_back(std::move(child2));
  }
  vecGenomes = std::move(next);
  return vecGenomes;
}

void GeneticAlgorithm::CopyElite(Population& target) const {
  for (int n = Params.EliteCount; n != 0;) {
    --n;
    target.push_back(vecGenomes[static_cast<std::size_t>(iPopulationSize - 1 - n)]);
  }
}

const Genome& GeneticAlgorithm::SelectRoulette() const {
  const double slice = RandomFraction() * dTotalFitness;
  double running = 0.0;
  for (int i = 0; i < iPopulationSize; ++i) {
    running = running + vecGenomes[static_cast<std::size_t>(i)].dFitness;
    if (slice <= running) return vecGenomes[static_cast<std::size_t>(i)];
  }
  return vecGenomes[0];
}

void GeneticAlgorithm::Crossover(const std::vector<double>& mum, const std::vector<double>& dad,
                                 std::vector<double>& child1, std::vector<double>& child2) const {
  // The draw is made every time, before the equality test.
  const double r = RandomFraction();
  if (r > dCrossoverRate || SameWeights(mum, dad)) {
    child1 = mum;
    child2 = dad;
    return;
  }
  const std::size_t cp = static_cast<std::size_t>(RandomInt() % iGenomeLength);
  child1.reserve(mum.size());
  child2.reserve(mum.size());
  for (std::size_t i = 0; i < cp; ++i) {
    child1.push_back(mum[i]);
    child2.push_back(dad[i]);
  }
  for (std::size_t i = cp; i < mum.size(); ++i) {
    child1.push_back(dad[i]);
    child2.push_back(mum[i]);
  }
}

void GeneticAlgorithm::Mutate(std::vector<double>& weights) const {
  for (double& w : weights) {
    const double r = RandomFraction();
    if (r < dMutationRate) w = w + RandomSigned() * Params.MutationStepScale;
  }
}
