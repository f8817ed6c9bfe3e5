#include "params/param_names.h"

#include <cstdint>
#include <cstring>

const ParamName kParamNames[kParamCount] = {
    {"FrameRate", &ParamsRecord::FrameRate, nullptr},
    {"InputCount", &ParamsRecord::InputCount, nullptr},
    {"HiddenLayerCount", &ParamsRecord::HiddenLayerCount, nullptr},
    {"HiddenLayerSize", &ParamsRecord::HiddenLayerSize, nullptr},
    {"OutputCount", &ParamsRecord::OutputCount, nullptr},
    {"Reserved6", nullptr, &ParamsRecord::Reserved6},
    {"BiasInput", nullptr, &ParamsRecord::BiasInput},
    {"MaxTurnPerTick", nullptr, &ParamsRecord::MaxTurnPerTick},
    {"Reserved9", nullptr, &ParamsRecord::Reserved9},
    {"Reserved10", &ParamsRecord::Reserved10, nullptr},
    {"FungusCount", &ParamsRecord::FungusCount, nullptr},
    {"CritterCount", &ParamsRecord::CritterCount, nullptr},
    {"TicksPerGeneration", &ParamsRecord::TicksPerGeneration, nullptr},
    {"FungusScale", nullptr, &ParamsRecord::FungusScale},
    {"CrossoverRate", nullptr, &ParamsRecord::CrossoverRate},
    {"MutationRate", nullptr, &ParamsRecord::MutationRate},
    {"MutationStepScale", nullptr, &ParamsRecord::MutationStepScale},
    {"EliteCount", &ParamsRecord::EliteCount, nullptr},
    {"EliteCopyFactor", &ParamsRecord::EliteCopyFactor, nullptr},
};

int FindParam(const std::string& name) {
  for (int i = 0; i < kParamCount; ++i)
    if (name == kParamNames[i].name) return i;
  return -1;
}

bool SameParam(const ParamsRecord& a, const ParamsRecord& b, int i) {
  const ParamName& p = kParamNames[i];
  if (p.integer) return a.*p.integer == b.*p.integer;
  // Bit for bit (memcpy: the web build's library has no std::bit_cast).
  std::uint64_t x, y;
  std::memcpy(&x, &(a.*p.real), sizeof x);
  std::memcpy(&y, &(b.*p.real), sizeof y);
  return x == y;
}

std::string ParamsText(const std::vector<std::string>& values) {
  std::string text;
  for (int i = 0; i < kParamCount; ++i)
    text += std::string(kParamNames[i].name) + " " + values[static_cast<std::size_t>(i)] + "\n";
  return text;
}

ParamsRecord RecordWithValue(int i, const std::string& text) {
  std::vector<std::string> values(kParamCount, "0");
  values[static_cast<std::size_t>(i)] = text;
  return ParseParams(ParamsText(values));
}
