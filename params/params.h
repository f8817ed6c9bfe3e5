#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The nineteen values of params.ini, in file order. Every value is zero until
// loaded; a value that could not be read stays zero.
struct ParamsRecord {
  int FrameRate = 0;
  int InputCount = 0;
  int HiddenLayerCount = 0;
  int HiddenLayerSize = 0;
  int OutputCount = 0;
  double Reserved6 = 0.0;
  double BiasInput = 0.0;
  double MaxTurnPerTick = 0.0;
  double Reserved9 = 0.0;
  int Reserved10 = 0;
  int FungusCount = 0;
  int CritterCount = 0;
  int TicksPerGeneration = 0;
  double FungusScale = 0.0;
  double CrossoverRate = 0.0;
  double MutationRate = 0.0;
  double MutationStepScale = 0.0;
  int EliteCount = 0;
  int EliteCopyFactor = 0;
};

// The program's parameters: written once at start-up, read-only afterwards.
extern ParamsRecord Params;

// Reads a parameter file into Params (every value first set to zero). Labels
// are read whole and discarded; values are taken by position. Once one value
// fails to parse, it and every later value stay zero. False when the file
// cannot be opened or is no regular file; then why, when given, says which
// ("No such file or directory", "is a directory", ...).
bool LoadParams(const std::string& path = "params.ini", std::string* why = nullptr);

// The values of the project's default params.ini: the one scenario that the
// tests, the benchmarks and the golden result of the headless runner share.
ParamsRecord DefaultParamsRecord();

// The same reading from text already in memory, into a record.
ParamsRecord ParseParams(const std::string& text);

// The same reading again, giving each value's text as the reader took it, in
// file order: as many as it reads, up to where it stops (a missing value, or
// one that is not a number of its kind).
std::vector<std::string> ParamValueTexts(const std::string& text);

// The largest CritterCount that start placement served in every one of a
// million seeded layouts (tools/placement_probe.cpp; 42 failed once). The
// start-up check refuses more.
inline constexpr int kMaxCritterCount = 41;

// The start-up check: empty when every value is in range, otherwise one line
// naming the first value out of range, its value and its range.
std::string CheckParams(const ParamsRecord& params, const std::string& fileName = "params.ini");

// Number of weights of one network of the given shape, in 64 bits so that an
// absurd shape cannot overflow.
std::int64_t NetworkWeightCount(const ParamsRecord& params);
