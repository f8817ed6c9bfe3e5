#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "genetics/genome.h"

// A second, independent copy of the generator, so that expected values are
// worked out by replaying the draws rather than by asking the code under test.
class Replay {
 public:
  explicit Replay(std::uint32_t seed) : state_(seed) {}
  int Int() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFFu);
  }
  double Fraction() { return Int() / 32768.0; }
  double Signed() {
    const double first = Fraction();
    return first - Fraction();
  }

 private:
  std::uint32_t state_;
};

// Seeds far apart: neighbouring seeds give nearly the same first draw.
inline std::uint32_t Spread(std::uint32_t k) { return k * 2654435761u; }

// The first seed from 1 on whose draws satisfy the condition.
inline std::uint32_t FindSeed(const std::function<bool(Replay&)>& wanted) {
  for (std::uint32_t seed = 1;; ++seed) {
    Replay r(seed);
    if (wanted(r)) return seed;
  }
}

// A genome whose weights are base, base + 1, ... so that every genome of a
// test can be told apart by its weights.
inline Genome Marked(double base, int length, double fitness) {
  Genome g;
  for (int i = 0; i < length; ++i) g.vecNetWeights.push_back(base + i);
  g.dFitness = fitness;
  return g;
}

// Genomes marked 100, 200, ... carrying the given fitness values in order.
inline Population MarkedPopulation(const std::vector<double>& fitness, int length) {
  Population p;
  for (std::size_t i = 0; i < fitness.size(); ++i) p.push_back(Marked(100.0 * static_cast<double>(i + 1), length, fitness[i]));
  return p;
}
