#pragma once

#include <span>
#include <vector>

// A feed-forward network of sigmoid neurons, each with a bias weight that
// multiplies BiasInput. Its shape comes from Params at construction and never
// changes. The weights live in one flat array in the canonical order: layer
// by layer, neuron by neuron, input weights first and the bias weight last.
class NeuralNet {
 public:
  struct Layer {
    int iNeuronCount = 0;
    int iInputsPerNeuron = 0;  // each neuron has iInputsPerNeuron + 1 weights
    int iFirstWeight = 0;      // offset of the layer's first weight
  };

  // Copies the counts from Params, builds the layers and draws every weight
  // with RandomSigned(), in the canonical order.
  NeuralNet();

  // The outputs, iOutputCount of them, or an empty span when the number of
  // inputs is not iInputCount. The span points into the network and stays
  // valid until the next Run. Allocates nothing.
  std::span<const double> Run(std::span<const double> inputs) const;

  // Overwrites every weight from a flat sequence in the canonical order;
  // values beyond WeightCount() are ignored. A shorter sequence is refused
  // and leaves the network unchanged.
  bool LoadWeights(std::span<const double> weights);

  int WeightCount() const { return static_cast<int>(vecWeights.size()); }

  std::span<const double> Weights() const { return vecWeights; }

  int iInputCount = 0;
  int iOutputCount = 0;
  int iHiddenLayerCount = 0;
  int iHiddenLayerSize = 0;
  std::vector<Layer> vecLayers;

 private:
  void AddLayer(int neurons, int inputsPerNeuron);

  std::vector<double> vecWeights;
  // Two scratch rows for the signal, sized once for the widest layer.
  mutable std::vector<double> vecScratchA;
  mutable std::vector<double> vecScratchB;
};
