#pragma once

#include <vector>

class World;

// What a run's networks were, for the pictures of what they learned: for
// every generation the weights its best critter ran with (the critter the
// CSV names in best_index), and every critter's weights in the last
// generation run.
struct RunHistory {
  int weightsPerGenome = 0;
  std::vector<double> best;         // one genome a generation
  std::vector<int> bestIndex;       // the critter each came from
  std::vector<double> lastPopulation;  // critter after critter, of the last generation

  int Generations() const { return static_cast<int>(bestIndex.size()); }
};

// Records a RunHistory around each World::Update of a run. It reads the
// critters' networks just before a generation end breeds new ones, and
// changes nothing in the World. A tick costs a comparison; the copies
// happen at generation ends only, into room reserved at the start.
class RunRecorder {
 public:
  // Reserves room for the population and for `generations` best genomes.
  RunRecorder(const World& world, int generations);

  void BeforeUpdate(const World& world);
  void AfterUpdate(const World& world);

  const RunHistory& History() const { return history_; }

 private:
  RunHistory history_;
  bool generationEnds_ = false;  // the coming update is a generation end
};
