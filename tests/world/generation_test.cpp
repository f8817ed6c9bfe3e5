#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "genetics/weight_file.h"
#include "log/debug_log.h"
#include "tests/world/world_fixture.h"

namespace {

// The lines of Dbg.Log between its header and footer.
std::vector<std::string> LogBody() {
  const std::string text = ReadFile("Dbg.Log");
  std::size_t start = text.find("\r\n\r\n");
  start = text.find("\r\n", start + 4) + 2;
  const std::size_t end = text.find("\n\nShutting down");
  std::vector<std::string> lines;
  std::istringstream in(text.substr(start, end - start));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Scores every critter (and its genome) for the generation that is ending.
void Score(World& w, const std::vector<double>& fitness) {
  for (std::size_t i = 0; i < fitness.size(); ++i) {
    w.vecCritters[i].dFitness = fitness[i];
    w.vecPopulation[i].dFitness = fitness[i];
  }
}

class Generation : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    OpenDebugLog();
  }
  void TearDown() override { CloseDebugLog(); }
};

}  // namespace

TEST_F(Generation, WorkedExampleOfTheCompositeScore) {
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = 10;
  p.TicksPerGeneration = 2048;  // a tick scale of exactly 1
  auto w = Build(p);
  Score(*w, {10, 4, 4, 4, 3, 3, 3, 3, 3, 3});  // best 10, average 4
  w->iTicks = 2048;
  ASSERT_TRUE(w->Update());
  EXPECT_EQ(w->dBestScaled, 30.0);
  EXPECT_EQ(w->dBestFitnessRollingAvg, 30.0);
  EXPECT_EQ(w->dAvgFitnessRollingAvg, 12.0);
  EXPECT_EQ(w->dComposite, 39.0);
  Score(*w, {6, 6, 6, 6, 20, 0, 6, 4, 3, 3});  // best 20, average 6
  w->iTicks = 2048;
  ASSERT_TRUE(w->Update());
  EXPECT_EQ(w->dBestScaled, 60.0);
  EXPECT_EQ(w->dBestFitnessRollingAvg, 45.0);
  EXPECT_EQ(w->dAvgFitnessRollingAvg, 15.0);
  EXPECT_EQ(w->dComposite, 52.5);
  EXPECT_EQ(w->dBestComposite, 52.5);
  EXPECT_EQ(w->dBestAvgRollingRatio, 3.0);
  EXPECT_EQ(w->dBestWorstFitnessRatio, 0.0);  // the worst scored 0
  EXPECT_EQ(w->vecBestRollingHistory, (std::vector<double>{30.0, 45.0}));
  EXPECT_EQ(w->vecAvgRollingHistory, (std::vector<double>{12.0, 15.0}));
  EXPECT_EQ(w->iNumSaves, 0);
  EXPECT_FALSE(std::filesystem::exists(kWeightFileName));

  CloseDebugLog();
  const std::vector<std::string> log = LogBody();
  ASSERT_EQ(log.size(), 22u);
  const std::vector<std::string> second(log.begin() + 11, log.end());
  const std::vector<std::string> expected = {
      "New BestComposite",
      "Generations: 1",
      "BestComposite: 52.50000",
      "dBestFitnessRollingAvg: 45.00000",
      "dAvgFitnessRollingAvg: 15.00000",
      "dBestAvgRollingRatio: 3.00000",
      "Best win percent: 9.99999",  // (1/2 - 0.4) x 100 lies just below 10 and is cut off
      "Best index: 4, Fitness: 20",
      "Worst index: 5, Fitness: 0",
      "BestWorstFitnessRatio: 0",
      "",
  };
  ASSERT_EQ(log[0], "New BestComposite");
  EXPECT_EQ(log[1], "Generations: 0");  // counted from 0, logged before counting up
  EXPECT_EQ(log[2], "BestComposite: 39.00000");
  EXPECT_EQ(log[7], "Best index: 0, Fitness: 10");
  EXPECT_EQ(log[9], "BestWorstFitnessRatio: 3.33333");
  EXPECT_EQ(second, expected);
}

TEST_F(Generation, NoMealMeansNothingLogged) {
  auto w = Build(DefaultParamsRecord());
  w->iTicks = Params.TicksPerGeneration;
  ASSERT_TRUE(w->Update());
  EXPECT_EQ(w->dComposite, 0.0);
  EXPECT_EQ(w->dBestComposite, 0.0);
  EXPECT_EQ(w->iGeneration, 1);
  CloseDebugLog();
  EXPECT_TRUE(LogBody().empty());
}

// With two critters and a tick scale of 1.5 the composite score is
// 2 x total + best, in whole numbers.
class Saving : public Generation {
 protected:
  std::unique_ptr<World> TwoCritters() {
    ParamsRecord p = DefaultParamsRecord();
    p.CritterCount = 2;
    p.EliteCount = 1;
    p.EliteCopyFactor = 2;  // an even product: the elite block is kept
    p.TicksPerGeneration = 3072;
    return Build(p);
  }
  void End(World& w, double best, double other) {
    Score(w, {best, other});
    w.iTicks = 3072;
    ASSERT_TRUE(w.Update());
  }
};

TEST_F(Saving, ExactlyOneHundredTwentyFiveDoesNotSave) {
  auto w = TwoCritters();
  End(*w, 41, 1);
  EXPECT_EQ(w->dComposite, 125.0);
  EXPECT_EQ(w->dBestComposite, 125.0);
  EXPECT_EQ(w->iNumSaves, 0);
  EXPECT_FALSE(std::filesystem::exists(kWeightFileName));
}

TEST_F(Saving, NewBestAboveOneHundredTwentyFiveSavesTheEliteFirstList) {
  auto w = TwoCritters();
  const Population scored = w->vecPopulation;  // the generation's genomes, in critter order
  End(*w, 1, 42);                               // critter 1 is best: composite 128
  EXPECT_EQ(w->dComposite, 128.0);
  EXPECT_EQ(w->iNumSaves, 1);
  ASSERT_TRUE(std::filesystem::exists(kWeightFileName));
  // The file holds the best genome first, then the World's genome 0.
  Population loaded(2, Genome{std::vector<double>(static_cast<std::size_t>(w->iNumWeights)), 0.0});
  LoadAllWeights(loaded, 2, w->iNumWeights);
  EXPECT_EQ(loaded[0].vecNetWeights, scored[1].vecNetWeights);
  EXPECT_EQ(loaded[1].vecNetWeights, scored[0].vecNetWeights);
  // The critters run what the epoch bred: the elite first, then a child.
  EXPECT_EQ(w->vecPopulation[0].vecNetWeights, scored[1].vecNetWeights);
  const auto running = w->vecCritters[1].Net.Weights();
  EXPECT_EQ(std::vector<double>(running.begin(), running.end()), w->vecPopulation[1].vecNetWeights);

  // The same scores again: composite 128 is not a new best, no second save.
  std::filesystem::remove(kWeightFileName);
  End(*w, 1, 42);
  EXPECT_EQ(w->dComposite, 128.0);
  EXPECT_EQ(w->iNumSaves, 1);
  EXPECT_FALSE(std::filesystem::exists(kWeightFileName));
}

TEST_F(Generation, WinPercentOverAllFinishedGenerations) {
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = 40;
  p.EliteCount = 4;
  p.TicksPerGeneration = 2048;
  auto w = Build(p);
  // Best critters 0, 9, 2, 20, 3: wins in generations 1, 3 and 5, and a
  // rising best score so that the fifth is a new best composite.
  const int best[] = {0, 9, 2, 20, 3};
  for (int g = 0; g < 5; ++g) {
    std::vector<double> f(40, 1.0);
    f[static_cast<std::size_t>(best[g])] = 10.0 + g;
    Score(*w, f);
    w->iTicks = 2048;
    ASSERT_TRUE(w->Update());
  }
  EXPECT_EQ(w->iWins, 3);
  CloseDebugLog();
  const std::vector<std::string> log = LogBody();
  ASSERT_EQ(log.size(), 5u * 11u);
  EXPECT_EQ(log[4 * 11 + 1], "Generations: 4");
  EXPECT_EQ(log[4 * 11 + 6], "Best win percent: 50.00000");
}

TEST_F(Generation, ArenaIsSetUpAfresh) {
  ParamsRecord p = DefaultParamsRecord();
  p.TicksPerGeneration = 50;
  auto w = Build(p, 5);
  w->bDrawnThisGeneration = true;
  for (int call = 0; call <= 50; ++call) ASSERT_TRUE(w->Update());
  EXPECT_EQ(w->iGeneration, 1);
  EXPECT_EQ(w->iTicks, 0);
  EXPECT_FALSE(w->bDrawnThisGeneration);
  for (int i = 0; i < w->iNumCritters; ++i) {
    const Critter& c = w->vecCritters[static_cast<std::size_t>(i)];
    const Vec2D& s = w->vecStartPositions[static_cast<std::size_t>(w->vecStartOrder[static_cast<std::size_t>(i)])];
    EXPECT_EQ(c.dFitness, 0.0);
    EXPECT_EQ(c.dPosX, s.x);
    EXPECT_EQ(c.dPosY, s.y);
    EXPECT_EQ(c.iCollision, Free);
    const auto running = c.Net.Weights();
    EXPECT_EQ(std::vector<double>(running.begin(), running.end()), w->vecPopulation[static_cast<std::size_t>(i)].vecNetWeights);
  }
  for (int i = 0; i < w->iNumFungi; ++i) {
    const Vec2D& f = w->vecFungi[static_cast<std::size_t>(i)];
    EXPECT_EQ(CellOf(*w, f.x, f.y), i % 8);
    EXPECT_FALSE(w->IsNearCritter(f));
  }
}

TEST_F(Generation, OvershootPopulationKeepsCrittersOnTheirGenomes) {
  // 10 critters, 3 elite copied twice: 3 + 4 x 2 = 11 genomes; only the
  // first ten are run, and the run goes on for many generations.
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = 10;
  p.EliteCount = 3;
  p.EliteCopyFactor = 2;
  p.TicksPerGeneration = 30;
  auto w = Build(p, 9);
  for (int call = 0; call < 31 * 12; ++call) ASSERT_TRUE(w->Update());
  EXPECT_EQ(w->iGeneration, 12);
  EXPECT_EQ(w->vecPopulation.size(), 11u);
}
