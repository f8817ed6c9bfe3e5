#include <string>

#include "common/message.h"
#include "tests/world/world_fixture.h"

namespace {

std::string g_lastMessage;
int g_messages = 0;
void Capture(void*, const char* text, const char* caption) {
  g_lastMessage = std::string(caption) + ": " + text;
  ++g_messages;
}

// Networks whose outputs are always (0.5, 0.5): straight ahead at speed 1.
void Straight(World& w) {
  for (Critter& c : w.vecCritters) c.Net.LoadWeights(std::vector<double>(c.Net.WeightCount(), 0.0));
}

}  // namespace

using Tick = WorldTest;

TEST_F(Tick, OneTickPerGenerationAlternatesWithGenerationEnds) {
  ParamsRecord p = DefaultParamsRecord();
  p.TicksPerGeneration = 1;
  auto w = Build(p);
  for (int call = 0; call < 10; ++call) {
    const int generation = w->iGeneration;
    ASSERT_TRUE(w->Update());
    if (call % 2 == 0) {
      EXPECT_EQ(w->iGeneration, generation) << call;  // a tick
      EXPECT_EQ(w->iTicks, 1);
    } else {
      EXPECT_EQ(w->iGeneration, generation + 1) << call;  // the generation end
      EXPECT_EQ(w->iTicks, 0);
    }
  }
}

TEST_F(Tick, AGenerationTakesItsTicksPlusOneCall) {
  ParamsRecord p = DefaultParamsRecord();
  p.TicksPerGeneration = 7;
  auto w = Build(p);
  for (int call = 0; call < 7; ++call) ASSERT_TRUE(w->Update());
  EXPECT_EQ(w->iGeneration, 0);
  ASSERT_TRUE(w->Update());
  EXPECT_EQ(w->iGeneration, 1);
}

TEST_F(Tick, TwoCrittersOnOneFungusScoreOnce) {
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = 2;
  p.EliteCount = 0;
  p.FungusCount = 1;
  auto w = Build(p);
  Straight(*w);
  // Both one unit left of the fungus, heading right: both arrive this tick.
  w->vecFungi[0] = {101.0, 100.0};
  for (Critter& c : w->vecCritters) {
    c.Reset(96.5, 100.0);
    c.dHeading = 0.0;
  }
  ASSERT_TRUE(w->Update());
  EXPECT_EQ(w->vecCritters[0].dFitness, 1.0);
  EXPECT_EQ(w->vecCritters[1].dFitness, 0.0);
  EXPECT_EQ(w->iNextFungusCell, 1);
  const Vec2D& moved = w->vecFungi[0];
  EXPECT_EQ(CellOf(*w, moved.x, moved.y), 0);
  EXPECT_FALSE(w->IsNearCritter(moved));
}

TEST_F(Tick, GenomeScoresFollowTheCrittersEveryTick) {
  ParamsRecord p = DefaultParamsRecord();
  p.TicksPerGeneration = 400;
  auto w = Build(p, 11);
  double eaten = 0;
  for (int call = 0; call < 400; ++call) {
    ASSERT_TRUE(w->Update());
    for (int i = 0; i < w->iNumCritters; ++i)
      ASSERT_EQ(w->vecPopulation[static_cast<std::size_t>(i)].dFitness, w->vecCritters[static_cast<std::size_t>(i)].dFitness);
  }
  for (const Critter& c : w->vecCritters) eaten += c.dFitness;
  EXPECT_GT(eaten, 0.0);  // some meals happened, so the copy was exercised
  EXPECT_EQ(w->iNextFungusCell, static_cast<int>(eaten) % 8);
}

TEST_F(Tick, FungusCellTurnCarriesAcrossGenerations) {
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = 2;
  p.EliteCount = 0;
  p.FungusCount = 1;
  p.TicksPerGeneration = 3;
  auto w = Build(p);
  int meals = 0;
  // Feed critter 0 a meal each tick by putting the fungus right in its way.
  for (int call = 0; meals < 8; ++call) {
    ASSERT_LT(call, 100);
    if (w->iTicks < p.TicksPerGeneration) {
      Straight(*w);
      Critter& c = w->vecCritters[0];
      c.Reset(100.0, 100.0);
      c.dHeading = 0.0;
      w->vecCritters[1].Reset(400.0, 400.0);
      w->vecFungi[0] = {103.0, 100.0};
      const int cell = w->iNextFungusCell;
      ASSERT_TRUE(w->Update());
      ASSERT_EQ(w->vecCritters[0].dFitness, 1.0);
      EXPECT_EQ(CellOf(*w, w->vecFungi[0].x, w->vecFungi[0].y), cell);
      ++meals;
    } else {
      ASSERT_TRUE(w->Update());  // generation end: the turn is not reset
    }
  }
  EXPECT_GE(w->iGeneration, 2);
  EXPECT_EQ(w->iNextFungusCell, 0);
}

TEST_F(Tick, AFailingCritterStopsTheTick) {
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = 10;
  auto w = Build(p);
  ASSERT_TRUE(w->Update());
  for (int i = 0; i < 10; ++i) w->vecPopulation[static_cast<std::size_t>(i)].dFitness = 5.0;  // a marker
  std::vector<Vec2D> before;
  for (const Critter& c : w->vecCritters) before.push_back({c.dPosX, c.dPosY});
  w->vecCritters[3].Net.iInputCount = 2;  // it now refuses its one sensor value
  g_messages = 0;
  const MessageHandler old = SetMessageHandler(&Capture);
  EXPECT_FALSE(w->Update());
  SetMessageHandler(old);
  EXPECT_EQ(g_messages, 1);
  EXPECT_EQ(g_lastMessage, "Error: Wrong amount of NN inputs!");
  for (int i = 0; i < 3; ++i) EXPECT_NE(w->vecCritters[static_cast<std::size_t>(i)].dPosX, before[static_cast<std::size_t>(i)].x);
  for (int i = 3; i < 10; ++i) {
    EXPECT_EQ(w->vecCritters[static_cast<std::size_t>(i)].dPosX, before[static_cast<std::size_t>(i)].x) << i;
    EXPECT_EQ(w->vecCritters[static_cast<std::size_t>(i)].dPosY, before[static_cast<std::size_t>(i)].y) << i;
  }
  EXPECT_EQ(w->vecPopulation[3].dFitness, 5.0);  // genome 3 keeps its old score
  EXPECT_EQ(w->vecPopulation[0].dFitness, 0.0);  // genome 0 was refreshed
}

TEST_F(Tick, WrongInputCountFailsTheFirstTick) {
  ParamsRecord p = DefaultParamsRecord();
  p.InputCount = 2;
  auto w = Build(p);
  const MessageHandler old = SetMessageHandler(&Capture);
  g_messages = 0;
  EXPECT_FALSE(w->Update());
  SetMessageHandler(old);
  EXPECT_EQ(g_messages, 1);
}

TEST_F(Tick, FastModeLeavesTheDisplayFieldsAlone) {
  auto w = Build(DefaultParamsRecord());
  w->bFastMode = true;
  for (int call = 0; call < 50; ++call) ASSERT_TRUE(w->Update());
  for (const Critter& c : w->vecCritters) {
    EXPECT_EQ(c.dMarkerX, -1.0);
    EXPECT_EQ(c.dMarkerY, -1.0);
  }
  w->bFastMode = false;
  ASSERT_TRUE(w->Update());
  int marked = 0;
  for (const Critter& c : w->vecCritters) marked += c.dMarkerX >= 0.0;
  EXPECT_GT(marked, 0);
}
