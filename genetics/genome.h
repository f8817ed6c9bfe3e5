#pragma once

#include <vector>

// The weights of one critter's network with the score it earned.
struct Genome {
  std::vector<double> vecNetWeights;
  double dFitness = 0.0;
};

// Genomes are ordered by fitness alone.
inline bool operator<(const Genome& a, const Genome& b) { return a.dFitness < b.dFitness; }

// An ordered population; position i of the World's list belongs to critter i.
using Population = std::vector<Genome>;

// Same length and every weight equal as doubles (a NaN makes them unequal).
inline bool SameWeights(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!(a[i] == b[i])) return false;
  return true;
}
