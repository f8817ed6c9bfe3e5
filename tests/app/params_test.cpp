#include <gtest/gtest.h>

#include <string>

#include "app/params.h"
#include "tests/support/temp_dir.h"

namespace {

const char* kDefault =
    "FrameRate 60\nInputCount 1\nHiddenLayerCount 1\nHiddenLayerSize 6\nOutputCount 2\nReserved6 1\n"
    "BiasInput -1\nMaxTurnPerTick 0.3\nReserved9 2\nReserved10 5\nFungusCount 40\nCritterCount 30\n"
    "TicksPerGeneration 2000\nFungusScale 2\nCrossoverRate 0.7\nMutationRate 0.1\nMutationStepScale 0.3\n"
    "EliteCount 4\nEliteCopyFactor 1\n";

// The values of the default file, each preceded by the given label.
std::string WithLabel(const std::string& label) {
  const char* values[] = {"60", "1", "1", "6", "2", "1", "-1", "0.3", "2", "5",
                          "40", "30", "2000", "2", "0.7", "0.1", "0.3", "4", "1"};
  std::string s;
  for (const char* v : values) s += label + " " + v + "\n";
  return s;
}

void ExpectDefault(const ParamsRecord& p) {
  EXPECT_EQ(p.FrameRate, 60);
  EXPECT_EQ(p.InputCount, 1);
  EXPECT_EQ(p.HiddenLayerCount, 1);
  EXPECT_EQ(p.HiddenLayerSize, 6);
  EXPECT_EQ(p.OutputCount, 2);
  EXPECT_EQ(p.Reserved6, 1.0);
  EXPECT_EQ(p.BiasInput, -1.0);
  EXPECT_EQ(p.MaxTurnPerTick, 0.3);
  EXPECT_EQ(p.Reserved9, 2.0);
  EXPECT_EQ(p.Reserved10, 5);
  EXPECT_EQ(p.FungusCount, 40);
  EXPECT_EQ(p.CritterCount, 30);
  EXPECT_EQ(p.TicksPerGeneration, 2000);
  EXPECT_EQ(p.FungusScale, 2.0);
  EXPECT_EQ(p.CrossoverRate, 0.7);
  EXPECT_EQ(p.MutationRate, 0.1);
  EXPECT_EQ(p.MutationStepScale, 0.3);
  EXPECT_EQ(p.EliteCount, 4);
  EXPECT_EQ(p.EliteCopyFactor, 1);
}

}  // namespace

TEST(ParamsReading, DefaultFileGivesEveryValue) { ExpectDefault(ParseParams(kDefault)); }

TEST(ParamsReading, DefaultRecordMatchesTheRepositoryFile) {
  ExpectDefault(DefaultParamsRecord());
  ParamsRecord saved = Params;
  ASSERT_TRUE(LoadParams(std::string(VEXLORA_SOURCE_DIR) + "/params.ini"));
  ExpectDefault(Params);
  Params = saved;
}

TEST(ParamsReading, LabelsAreIgnoredWhateverTheirLength) {
  ExpectDefault(ParseParams(WithLabel("x")));
  // Far longer than any fixed label buffer: read whole and discarded.
  ExpectDefault(ParseParams(WithLabel(std::string(500, 'L'))));
}

TEST(ParamsReading, AnyWhitespaceLayoutWorks) {
  std::string oneLine = kDefault;
  for (char& c : oneLine)
    if (c == '\n') c = '\t';
  ExpectDefault(ParseParams("  \n" + oneLine));
}

TEST(ParamsReading, ShortFileLeavesTheRestZero) {
  std::string text = kDefault;
  text = text.substr(0, text.rfind("EliteCopyFactor"));
  const ParamsRecord p = ParseParams(text);
  EXPECT_EQ(p.EliteCount, 4);
  EXPECT_EQ(p.EliteCopyFactor, 0);
}

TEST(ParamsReading, RealInIntegerPositionStopsAtThePoint) {
  std::string text = kDefault;
  text.replace(text.find("HiddenLayerSize 6"), 17, "HiddenLayerSize 2.5");
  const ParamsRecord p = ParseParams(text);
  EXPECT_EQ(p.HiddenLayerSize, 2);
  // ".5" became the next label, so "OutputCount" is read as a number and fails.
  EXPECT_EQ(p.OutputCount, 0);
  EXPECT_EQ(p.BiasInput, 0.0);
  EXPECT_EQ(p.EliteCopyFactor, 0);
}

TEST(ParamsReading, SignsExponentsAndExtraText) {
  std::string text = kDefault;
  text.replace(text.find("EliteCount 4"), 12, "EliteCount +7");
  text.replace(text.find("MutationRate 0.1"), 16, "MutationRate 1e-3");
  text += "trailing words 1 2 3\n";
  const ParamsRecord p = ParseParams(text);
  EXPECT_EQ(p.EliteCount, 7);
  EXPECT_EQ(p.MutationRate, 0.001);
  EXPECT_EQ(p.EliteCopyFactor, 1);
}

TEST(ParamsReading, IntegerOutOfRangeFailsAndStaysZero) {
  std::string text = kDefault;
  text.replace(text.find("CritterCount 30"), 15, "CritterCount 4294967296");
  const ParamsRecord p = ParseParams(text);
  EXPECT_EQ(p.FungusCount, 40);
  EXPECT_EQ(p.CritterCount, 0);
  EXPECT_EQ(p.TicksPerGeneration, 0);
}

TEST(ParamsReading, TextWhereANumberBelongsStopsTheReading) {
  std::string text = kDefault;
  text.replace(text.find("FrameRate 60"), 12, "FrameRate sixty");
  const ParamsRecord p = ParseParams(text);
  EXPECT_EQ(p.FrameRate, 0);
  EXPECT_EQ(p.EliteCopyFactor, 0);
}

TEST(ParamsLoading, MissingFileIsReportedAndLeavesZeros) {
  TempDir dir;
  ParamsRecord saved = Params;
  Params.CritterCount = 9;
  EXPECT_FALSE(LoadParams(dir.File("params.ini")));
  EXPECT_EQ(Params.CritterCount, 0);
  WriteFile(dir.File("params.ini"), kDefault);
  EXPECT_TRUE(LoadParams(dir.File("params.ini")));
  ExpectDefault(Params);
  Params = saved;
}

TEST(ParamsCheck, DefaultValuesPass) { EXPECT_EQ(CheckParams(DefaultParamsRecord()), ""); }

TEST(ParamsCheck, EachRangeNamesParameterValueAndRange) {
  struct Case {
    void (*change)(ParamsRecord&);
    const char* expected;
  };
  const Case cases[] = {
      {[](ParamsRecord& p) { p.CritterCount = 0; }, "Parameter CritterCount is 0 in params.ini; it must be from 2 to "},
      {[](ParamsRecord& p) { p.CritterCount = kMaxCritterCount + 1; }, "Parameter CritterCount is "},
      {[](ParamsRecord& p) { p.FrameRate = 0; }, "Parameter FrameRate is 0 in params.ini; it must be 1 or more."},
      {[](ParamsRecord& p) { p.InputCount = -1; }, "Parameter InputCount is -1"},
      {[](ParamsRecord& p) { p.HiddenLayerCount = -2; }, "Parameter HiddenLayerCount is -2"},
      {[](ParamsRecord& p) { p.HiddenLayerSize = 0; }, "Parameter HiddenLayerSize is 0"},
      {[](ParamsRecord& p) { p.OutputCount = 1; }, "Parameter OutputCount is 1"},
      {[](ParamsRecord& p) { p.FungusCount = 0; }, "Parameter FungusCount is 0"},
      {[](ParamsRecord& p) { p.TicksPerGeneration = 0; }, "Parameter TicksPerGeneration is 0"},
      {[](ParamsRecord& p) { p.EliteCount = 31; }, "Parameter EliteCount is 31 in params.ini; it must be from 0 to 30."},
      {[](ParamsRecord& p) { p.EliteCount = -1; }, "Parameter EliteCount is -1"},
      {[](ParamsRecord& p) { p.MaxTurnPerTick = 3.2; }, "Parameter MaxTurnPerTick is 3.2"},
      {[](ParamsRecord& p) { p.MaxTurnPerTick = -0.1; }, "Parameter MaxTurnPerTick is -0.1"},
  };
  for (const Case& c : cases) {
    ParamsRecord p = DefaultParamsRecord();
    c.change(p);
    const std::string message = CheckParams(p);
    EXPECT_EQ(message.rfind(c.expected, 0), 0u) << message;
  }
}

TEST(ParamsCheck, InputCountOtherThanOneIsLeftToTheFirstTick) {
  ParamsRecord p = DefaultParamsRecord();
  p.InputCount = 2;
  EXPECT_EQ(CheckParams(p), "");
  p.HiddenLayerCount = 0;
  p.HiddenLayerSize = 0;  // unused without hidden layers
  EXPECT_EQ(CheckParams(p), "");
}

TEST(ParamsCheck, HugeNetworksAreRefused) {
  ParamsRecord p = DefaultParamsRecord();
  p.HiddenLayerCount = 100;
  p.HiddenLayerSize = 1000;
  EXPECT_NE(CheckParams(p), "");
  EXPECT_EQ(NetworkWeightCount(DefaultParamsRecord()), 6 * 2 + 2 * 7);
}
