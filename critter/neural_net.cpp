#include "critter/neural_net.h"

#include <algorithm>

#include "common/random.h"
#include "math/correctly_rounded.h"
#include "params/params.h"

NeuralNet::NeuralNet()
    : iInputCount(Params.InputCount),
      iOutputCount(Params.OutputCount),
      iHiddenLayerCount(Params.HiddenLayerCount),
      iHiddenLayerSize(Params.HiddenLayerSize) {
  if (iHiddenLayerCount > 0) {
    AddLayer(iHiddenLayerSize, iInputCount);
    for (int i = 0; i < iHiddenLayerCount - 1; ++i) AddLayer(iHiddenLayerSize, iHiddenLayerSize);
    AddLayer(iOutputCount, iHiddenLayerSize);
  } else {
    AddLayer(iOutputCount, iInputCount);
  }
  int widest = std::max(iInputCount, 0);
  for (const Layer& layer : vecLayers) widest = std::max(widest, layer.iNeuronCount);
  vecScratchA.assign(static_cast<std::size_t>(widest), 0.0);
  vecScratchB.assign(static_cast<std::size_t>(widest), 0.0);
}

void NeuralNet::AddLayer(int neurons, int inputsPerNeuron) {
  neurons = std::max(neurons, 0);
  inputsPerNeuron = std::max(inputsPerNeuron, 0);
  Layer layer{neurons, inputsPerNeuron, static_cast<int>(vecWeights.size())};
  vecLayers.push_back(layer);
  for (int n = 0; n < neurons; ++n)
    for (int k = 0; k <= inputsPerNeuron; ++k) vecWeights.push_back(RandomSigned());
}

std::span<const double> NeuralNet::Run(std::span<const double> inputs) const {
  if (static_cast<long long>(inputs.size()) != iInputCount) return {};
  const double bias = Params.BiasInput;
  const double* current = inputs.data();
  double* out = vecScratchA.data();
  double* spare = vecScratchB.data();
  int outCount = 0;
  for (const Layer& layer : vecLayers) {
    const double* w = vecWeights.data() + layer.iFirstWeight;
    const int m = layer.iInputsPerNeuron;
    for (int n = 0; n < layer.iNeuronCount; ++n, w += m + 1) {
      double sum = 0.0;
      for (int k = 0; k < m; ++k) sum = sum + w[k] * current[k];
      const double a = sum + w[m] * bias;
      out[n] = 1.0 / (1.0 + CrExp(-a));
    }
    outCount = layer.iNeuronCount;
    current = out;
    std::swap(out, spare);
  }
  return {current, static_cast<std::size_t>(outCount)};
}

bool NeuralNet::LoadWeights(std::span<const double> weights) {
  if (weights.size() < vecWeights.size()) return false;
  std::copy_n(weights.begin(), vecWeights.size(), vecWeights.begin());
  return true;
}
