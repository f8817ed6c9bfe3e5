#include "behaviour/curves.h"

#include "critter/motor.h"

namespace {

constexpr int kStepsPerUnit = 64;

}  // namespace

std::vector<double> SampledDirections() {
  std::vector<double> directions;
  for (int i = -kStepsPerUnit; i <= kStepsPerUnit; ++i) directions.push_back(static_cast<double>(i) / kStepsPerUnit);
  return directions;
}

int CurveSet::Count() const { return directions.empty() ? 0 : static_cast<int>(turn.size() / directions.size()); }

std::span<const double> CurveSet::Turn(int genome) const {
  return std::span<const double>(turn).subspan(static_cast<std::size_t>(genome) * directions.size(), directions.size());
}

std::span<const double> CurveSet::Speed(int genome) const {
  return std::span<const double>(speed).subspan(static_cast<std::size_t>(genome) * directions.size(), directions.size());
}

std::string CurveProblem(const NeuralNet& net) {
  if (net.iInputCount != 1)
    return "InputCount is " + std::to_string(net.iInputCount) + ": a critter's network has one input, the direction";
  if (net.iOutputCount < 2)
    return "OutputCount is " + std::to_string(net.iOutputCount) + ": turn and speed need two outputs";
  return "";
}

bool SampleGenomes(NeuralNet& net, std::span<const double> weights, CurveSet& out, std::string* why) {
  if (const std::string problem = CurveProblem(net); !problem.empty()) {
    if (why != nullptr) *why = problem;
    return false;
  }
  out.directions = SampledDirections();
  const auto n = static_cast<std::size_t>(net.WeightCount());
  for (std::size_t first = 0; n > 0 && first + n <= weights.size(); first += n) {
    net.LoadWeights(weights.subspan(first, n));
    for (double direction : out.directions) {
      const double in[1] = {direction};
      const std::span<const double> o = net.Run(in);
      out.turn.push_back(TurnForOutputs(o[0] - o[1], true));
      out.speed.push_back(SpeedForOutputs(o[0], o[1]));
    }
  }
  return true;
}
