#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "params/params.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

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
  ExpectDefault(ParseParams(WithLabel(std::string(1 << 20, 'L'))));
  ExpectDefault(ParseParams(WithLabel("\xC3\xA9t\xC3\xA9\x01\x7F")));  // bytes above 127 and controls
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

// The values' texts as the reader takes them: as written, and only as far
// as it reads (a real in an integer's place ends the reading there).
TEST(ParamsReading, ValueTextsAreTheReadersOwn) {
  std::string text = kDefault;
  text.replace(text.find("EliteCount 4"), 12, "EliteCount\t +7");
  text.replace(text.find("MutationRate 0.1"), 16, "MutationRate 1e-3");
  const std::vector<std::string> values = ParamValueTexts(text);
  ASSERT_EQ(values.size(), 19u);
  EXPECT_EQ(values[0], "60");
  EXPECT_EQ(values[7], "0.3");
  EXPECT_EQ(values[15], "1e-3");
  EXPECT_EQ(values[17], "+7");
  text.replace(text.find("HiddenLayerSize 6"), 17, "HiddenLayerSize 2.5");
  EXPECT_EQ(ParamValueTexts(text), (std::vector<std::string>{"60", "1", "1", "2"}));
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

TEST(ParamsReading, ThirtyTwoBitLimitsAreReadAndOneBeyondFails) {
  auto withCritters = [](const std::string& value) {
    std::string text = kDefault;
    text.replace(text.find("CritterCount 30"), 15, "CritterCount " + value);
    return ParseParams(text);
  };
  EXPECT_EQ(withCritters("2147483647").CritterCount, INT_MAX);
  EXPECT_EQ(withCritters("-2147483648").CritterCount, INT_MIN);
  EXPECT_EQ(withCritters("-2147483648").TicksPerGeneration, 2000);
  // Out of range, an integer fails and stays 0 (a stream would store the limit).
  for (const char* beyond : {"2147483648", "-2147483649", "4294967296", "99999999999999999999999"}) {
    const ParamsRecord p = withCritters(beyond);
    EXPECT_EQ(p.CritterCount, 0) << beyond;
    EXPECT_EQ(p.TicksPerGeneration, 0) << beyond << ": every later value stays zero";
    EXPECT_EQ(p.FungusCount, 40) << beyond;
  }
}

TEST(ParamsReading, RealBeyondTheDoubleRangeFailsAndStaysZero) {
  std::string text = kDefault;
  text.replace(text.find("FungusScale 2"), 13, "FungusScale 1e999");
  const ParamsRecord p = ParseParams(text);
  EXPECT_EQ(p.FungusScale, 0.0);
  EXPECT_EQ(p.CrossoverRate, 0.0);
  EXPECT_EQ(p.TicksPerGeneration, 2000);
  for (const char* word : {"nan", "inf", "-inf", "NaN"}) {
    std::string t = kDefault;
    t.replace(t.find("BiasInput -1"), 12, std::string("BiasInput ") + word);
    const ParamsRecord q = ParseParams(t);
    EXPECT_TRUE(std::isfinite(q.BiasInput)) << word;
    EXPECT_EQ(q.EliteCopyFactor, 0) << word << " is no number: the reading stops";
  }
}

TEST(ParamsLoading, OnlyARegularFileIsRead) {
  TempDir dir;
  const ParamsRecord saved = Params;
  const std::string path = dir.File("params.ini");

  std::filesystem::create_directory(path);
  Params.CritterCount = 9;
  EXPECT_FALSE(LoadParams(path)) << "a directory";
  EXPECT_EQ(Params.CritterCount, 0);
  std::filesystem::remove(path);

  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  EXPECT_FALSE(LoadParams(path)) << "a pipe: refused at once, not waited on";
  std::filesystem::remove(path);

  EXPECT_FALSE(LoadParams("/dev/null")) << "a device";

  WriteFile(path, "");
  EXPECT_TRUE(LoadParams(path)) << "an empty file opens; its values are all zero";
  EXPECT_EQ(Params.FrameRate, 0);
  EXPECT_NE(CheckParams(Params), "");

  WriteFile(dir.File("real.ini"), kDefault);
  std::filesystem::remove(path);
  std::filesystem::create_symlink(dir.File("real.ini"), path);
  EXPECT_TRUE(LoadParams(path)) << "a link to a regular file";
  ExpectDefault(Params);
  Params = saved;
}

TEST(ParamsLoading, UnreadableFileCannotBeOpened) {
  TempDir dir;
  std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
  const std::string path = dir.File("params.ini");
  WriteFile(path, kDefault);
  std::filesystem::permissions(path, std::filesystem::perms::none);
  const int result = RunUnprivileged([&path] {
    const bool loaded = LoadParams(path);
    return loaded ? 1 : Params.FrameRate == 0 ? 0 : 2;
  });
  EXPECT_EQ(result, 0);
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

// Every range at its bounds, accepted, and one step beyond, refused with a
// message that names the parameter; the 32-bit limits are refused too.
TEST(ParamsCheck, EveryBoundAndOneStepBeyond) {
  using Setter = std::function<void(ParamsRecord&, int)>;
  struct Range {
    const char* name;
    Setter set;
    long long lo, hi;  // hi INT_MAX means no upper bound
  };
  const Range ranges[] = {
      {"FrameRate", [](ParamsRecord& p, int v) { p.FrameRate = v; }, 1, INT_MAX},
      {"InputCount", [](ParamsRecord& p, int v) { p.InputCount = v; }, 0, 1000},
      {"HiddenLayerCount", [](ParamsRecord& p, int v) { p.HiddenLayerCount = v; }, 0, 100},
      {"HiddenLayerSize", [](ParamsRecord& p, int v) { p.HiddenLayerSize = v; }, 1, 1000},
      {"OutputCount", [](ParamsRecord& p, int v) { p.OutputCount = v; }, 2, 1000},
      {"FungusCount", [](ParamsRecord& p, int v) { p.FungusCount = v; }, 1, 10000},
      {"CritterCount", [](ParamsRecord& p, int v) { p.CritterCount = v; p.EliteCount = std::min(v, 2); }, 2,
       kMaxCritterCount},
      {"TicksPerGeneration", [](ParamsRecord& p, int v) { p.TicksPerGeneration = v; }, 1, 1000000000},
      {"EliteCount", [](ParamsRecord& p, int v) { p.EliteCount = v; }, 0, 30},
  };
  for (const Range& r : ranges) {
    auto check = [&r](long long v) {
      ParamsRecord p = DefaultParamsRecord();
      r.set(p, static_cast<int>(v));
      return CheckParams(p);
    };
    EXPECT_EQ(check(r.lo), "") << r.name << " " << r.lo;
    EXPECT_EQ(check(r.hi), "") << r.name << " " << r.hi;
    std::vector<long long> beyond = {r.lo - 1, INT_MIN};
    if (r.hi != INT_MAX) beyond.insert(beyond.end(), {r.hi + 1, INT_MAX});
    for (const long long v : beyond) {
      const std::string message = check(v);
      EXPECT_EQ(message.rfind("Parameter " + std::string(r.name) + " is " + std::to_string(v) + " in params.ini", 0), 0u)
          << r.name << " " << v << ": " << message;
    }
  }

  // The layer width only matters when there are hidden layers.
  ParamsRecord p = DefaultParamsRecord();
  p.HiddenLayerCount = 0;
  p.HiddenLayerSize = INT_MIN;
  EXPECT_EQ(CheckParams(p), "");

  // The turn limit: 0 and pi pass; the next doubles out, and NaN, do not.
  const double pi = 3.141592653589793;
  for (const double turn : {0.0, pi}) {
    ParamsRecord q = DefaultParamsRecord();
    q.MaxTurnPerTick = turn;
    EXPECT_EQ(CheckParams(q), "") << turn;
  }
  for (const double turn : {std::nextafter(0.0, -1.0), std::nextafter(pi, 4.0), std::nan(""), -1e308, 1e308}) {
    ParamsRecord q = DefaultParamsRecord();
    q.MaxTurnPerTick = turn;
    EXPECT_EQ(CheckParams(q).rfind("Parameter MaxTurnPerTick is ", 0), 0u) << turn;
  }
}

TEST(ParamsCheck, PopulationWeightsUpToTheMemoryBound) {
  // 32 networks of 991 inputs, 267 hidden and 968 outputs: 524,288 weights
  // each, 2^24 in all, exactly the bound.
  ParamsRecord p = DefaultParamsRecord();
  p.CritterCount = 32;
  p.InputCount = 991;
  p.HiddenLayerCount = 1;
  p.HiddenLayerSize = 267;
  p.OutputCount = 968;
  ASSERT_EQ(NetworkWeightCount(p) * p.CritterCount, std::int64_t{1} << 24);
  EXPECT_EQ(CheckParams(p), "");
  p.CritterCount = 33;
  EXPECT_EQ(CheckParams(p).rfind("The networks of params.ini are too large: 33 critters with 524288 weights each", 0), 0u);

  // The widest accepted shape has about 10^8 weights per network; the count
  // neither overflows nor passes.
  ParamsRecord widest = DefaultParamsRecord();
  widest.CritterCount = kMaxCritterCount;
  widest.InputCount = widest.HiddenLayerSize = widest.OutputCount = 1000;
  widest.HiddenLayerCount = 100;
  EXPECT_EQ(NetworkWeightCount(widest), 1000LL * 1001 * 100 + 1000LL * 1001);
  EXPECT_NE(CheckParams(widest), "");
}

TEST(ParamsCheck, HugeNetworksAreRefused) {
  ParamsRecord p = DefaultParamsRecord();
  p.HiddenLayerCount = 100;
  p.HiddenLayerSize = 1000;
  EXPECT_NE(CheckParams(p), "");
  EXPECT_EQ(NetworkWeightCount(DefaultParamsRecord()), 6 * 2 + 2 * 7);
}
