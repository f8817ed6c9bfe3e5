#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/random.h"
#include "critter/neural_net.h"
#include "params/params.h"
#include "tests/support/test_params.h"

namespace {

ParamsRecord Shape(int inputs, int hiddenLayers, int hiddenSize, int outputs) {
  ParamsRecord p = DefaultParamsRecord();
  p.InputCount = inputs;
  p.HiddenLayerCount = hiddenLayers;
  p.HiddenLayerSize = hiddenSize;
  p.OutputCount = outputs;
  return p;
}

}  // namespace

TEST(NeuralNetShape, HiddenLayerOfFourGivesEighteenWeights) {
  ScopedParams scope(Shape(1, 1, 4, 2));
  NeuralNet net;
  EXPECT_EQ(net.WeightCount(), 18);
  ASSERT_EQ(net.vecLayers.size(), 2u);
  EXPECT_EQ(net.vecLayers[0].iNeuronCount, 4);
  EXPECT_EQ(net.vecLayers[0].iInputsPerNeuron, 1);
  EXPECT_EQ(net.vecLayers[1].iNeuronCount, 2);
  EXPECT_EQ(net.vecLayers[1].iInputsPerNeuron, 4);
}

TEST(NeuralNetShape, NoHiddenLayerGivesFourWeights) {
  ScopedParams scope(Shape(1, 0, 6, 2));
  NeuralNet net;
  EXPECT_EQ(net.WeightCount(), 4);
  EXPECT_EQ(net.vecLayers.size(), 1u);
}

TEST(NeuralNetShape, DeepNetworkMatchesTheFormula) {
  ParamsRecord p = Shape(3, 4, 5, 7);
  ScopedParams scope(p);
  NeuralNet net;
  EXPECT_EQ(net.WeightCount(), 5 * 4 + 3 * 5 * 6 + 7 * 6);
  EXPECT_EQ(net.WeightCount(), NetworkWeightCount(p));
}

TEST(NeuralNetConstruction, DrawsTwicePerWeightInCanonicalOrder) {
  ScopedParams scope(Shape(1, 1, 4, 2));
  SeedRandom(99);
  std::vector<double> expected;
  for (int i = 0; i < 18; ++i) expected.push_back(RandomSigned());
  const int next = RandomInt();
  SeedRandom(99);
  NeuralNet net;
  EXPECT_EQ(std::vector<double>(net.Weights().begin(), net.Weights().end()), expected);
  EXPECT_EQ(RandomInt(), next);  // exactly 36 draws were taken
  for (double w : net.Weights()) {
    EXPECT_GT(w, -1.0);
    EXPECT_LT(w, 1.0);
    EXPECT_EQ(w * 32768.0, std::floor(w * 32768.0));  // on the grid of 2^-15
  }
}

TEST(NeuralNetRun, SingleNeuronWithBias) {
  ScopedParams scope(Shape(1, 0, 0, 1));
  NeuralNet net;
  ASSERT_TRUE(net.LoadWeights(std::vector<double>{2.0, 3.0}));
  const double in[] = {1.0};
  const auto out = net.Run(in);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_NEAR(out[0], 0.2689414, 1e-7);
  EXPECT_EQ(out[0], 1.0 / (1.0 + std::exp(1.0)));
}

TEST(NeuralNetRun, ZeroWeightsGiveOneHalf) {
  ScopedParams scope(Shape(1, 2, 6, 3));
  NeuralNet net;
  ASSERT_TRUE(net.LoadWeights(std::vector<double>(net.WeightCount(), 0.0)));
  for (double x : {-1.0, 0.0, 0.7, 1e6}) {
    const double in[] = {x};
    const auto out = net.Run(in);
    ASSERT_EQ(out.size(), 3u);
    for (double o : out) EXPECT_EQ(o, 0.5);
  }
}

TEST(NeuralNetRun, HandComputedTwoLayerNetwork) {
  ScopedParams scope(Shape(1, 1, 2, 2));
  NeuralNet net;
  // hidden: (w0, bias) per neuron; output: (w0, w1, bias) per neuron
  const std::vector<double> w = {0.5, 0.25, -1.0, 0.75, 1.5, -0.5, 0.125, 2.0, 1.0, -0.25};
  ASSERT_TRUE(net.LoadWeights(w));
  const double x = 0.3, bias = -1.0;
  auto sig = [](double a) { return 1.0 / (1.0 + std::exp(-a)); };
  const double h0 = sig(0.0 + 0.5 * x + 0.25 * bias);
  const double h1 = sig(0.0 + -1.0 * x + 0.75 * bias);
  const double o0 = sig(0.0 + 1.5 * h0 + -0.5 * h1 + 0.125 * bias);
  const double o1 = sig(0.0 + 2.0 * h0 + 1.0 * h1 + -0.25 * bias);
  const double in[] = {x};
  const auto out = net.Run(in);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], o0);
  EXPECT_EQ(out[1], o1);
}

TEST(NeuralNetRun, WrongInputCountGivesNoOutputs) {
  ScopedParams scope(Shape(1, 1, 6, 2));
  NeuralNet net;
  EXPECT_TRUE(net.Run({}).empty());
  const double two[] = {0.1, 0.2};
  EXPECT_TRUE(net.Run(two).empty());
  const double one[] = {0.1};
  EXPECT_EQ(net.Run(one).size(), 2u);
}

TEST(NeuralNetLoad, LongSequenceUsesOnlyWhatIsNeededAndIsIdempotent) {
  ScopedParams scope(Shape(1, 1, 6, 2));
  NeuralNet net;
  std::vector<double> w(net.WeightCount() + 5);
  for (std::size_t i = 0; i < w.size(); ++i) w[i] = 0.01 * static_cast<double>(i);
  ASSERT_TRUE(net.LoadWeights(w));
  const std::vector<double> once(net.Weights().begin(), net.Weights().end());
  EXPECT_EQ(once, std::vector<double>(w.begin(), w.begin() + net.WeightCount()));
  ASSERT_TRUE(net.LoadWeights(w));
  EXPECT_EQ(std::vector<double>(net.Weights().begin(), net.Weights().end()), once);
}

TEST(NeuralNetLoad, ShortSequenceIsRefusedWithoutChange) {
  ScopedParams scope(Shape(1, 1, 6, 2));
  NeuralNet net;
  const std::vector<double> before(net.Weights().begin(), net.Weights().end());
  EXPECT_FALSE(net.LoadWeights(std::vector<double>(net.WeightCount() - 1, 0.5)));
  EXPECT_EQ(std::vector<double>(net.Weights().begin(), net.Weights().end()), before);
}

TEST(NeuralNetCopy, CopyIsIndependent) {
  ScopedParams scope(Shape(1, 1, 6, 2));
  NeuralNet a;
  NeuralNet b = a;
  ASSERT_TRUE(b.LoadWeights(std::vector<double>(b.WeightCount(), 0.0)));
  const double in[] = {0.4};
  EXPECT_EQ(b.Run(in)[0], 0.5);
  EXPECT_NE(a.Run(in)[0], 0.5);
}
