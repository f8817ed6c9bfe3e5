#include "behaviour/run_record.h"

#include <algorithm>

#include "params/params.h"
#include "world/world.h"

namespace {

// Reserved in advance at most; beyond it the list grows at generation ends.
constexpr std::size_t kMaxReserved = std::size_t{1} << 24;

}  // namespace

RunRecorder::RunRecorder(const World& world, int generations) {
  history_.weightsPerGenome = world.iNumWeights;
  const auto n = static_cast<std::size_t>(std::max(world.iNumWeights, 0));
  history_.lastPopulation.assign(static_cast<std::size_t>(std::max(world.iNumCritters, 0)) * n, 0.0);
  const std::size_t planned = static_cast<std::size_t>(std::max(generations, 0));
  history_.best.reserve(std::min(planned * n, kMaxReserved));
  history_.bestIndex.reserve(std::min(planned, kMaxReserved));
}

void RunRecorder::BeforeUpdate(const World& world) {
  generationEnds_ = world.iTicks >= Params.TicksPerGeneration;
  if (!generationEnds_) return;
  // The weights every critter ran with in the generation now ending.
  auto out = history_.lastPopulation.begin();
  for (const Critter& critter : world.vecCritters) {
    const auto weights = critter.Net.Weights();
    out = std::copy(weights.begin(), weights.end(), out);
  }
}

void RunRecorder::AfterUpdate(const World& world) {
  if (!generationEnds_) return;
  generationEnds_ = false;
  const int best = world.pGA->iBestIndex;
  const auto n = static_cast<std::size_t>(history_.weightsPerGenome);
  const auto first = history_.lastPopulation.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(best) * n);
  history_.best.insert(history_.best.end(), first, first + static_cast<std::ptrdiff_t>(n));
  history_.bestIndex.push_back(best);
}
