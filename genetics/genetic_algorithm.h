#pragma once

#include <vector>

#include "genetics/genome.h"

// Breeds the critters' network weights: elitism under a parity rule,
// roulette-wheel selection, single-point crossover and per-weight mutation.
class GeneticAlgorithm {
 public:
  // A random first population: size genomes of length weights, each weight
  // a RandomSigned() draw, genome by genome. Reads CrossoverRate and
  // MutationRate now, once.
  GeneticAlgorithm(int populationSize, int genomeLength);

  // A full copy of vecGenomes.
  Population GetPopulation() const { return vecGenomes; }

  // Takes a copy of the World's scored list, computes the statistics in
  // critter order, then sorts vecGenomes ascending by fitness (stable, so
  // equal scores keep the critter order).
  void Evaluate(const Population& worldGenomes);

  // Statistics over positions 0 to iPopulationSize - 1 of vecGenomes.
  void ComputeStatistics();

  // The elite block (when the parity rule allows it), then the World's
  // genomes from position 0 on: exactly iPopulationSize genomes.
  Population PrependElite(const Population& worldGenomes) const;

  // Breeds the next population from the sorted vecGenomes, replaces
  // vecGenomes with it and gives back a copy.
  Population Epoch();

  // Appends the EliteCount genomes below position iPopulationSize, weakest first.
  void CopyElite(Population& target) const;

  // One genome picked by fitness-proportionate selection.
  const Genome& SelectRoulette() const;

  // Single-point crossover with probability dCrossoverRate; fills the
  // two empty children.
  void Crossover(const std::vector<double>& mum, const std::vector<double>& dad, std::vector<double>& child1,
                 std::vector<double>& child2) const;

  // Mutates each weight with probability dMutationRate by a step of
  // RandomSigned() * MutationStepScale.
  void Mutate(std::vector<double>& weights) const;

  // True when EliteCount x EliteCopyFactor is even.
  static bool EliteAllowed();

  Population vecGenomes;
  int iPopulationSize = 0;
  int iGenomeLength = 0;
  double dTotalFitness = 0.0;
  double dBestFitness = 0.0;
  double dWorstFitness = 0.0;
  int iBestIndex = 0;
  int iWorstIndex = 0;
  double dMutationRate = 0.0;
  double dCrossoverRate = 0.0;
};
