// A World built from any parameters the start-up check accepts and any
// weight file, run through a generation end and some ticks after it.
//
// Input: the params.ini text up to the first zero byte; after it four bytes
// of seed (little-endian, missing bytes zero), then AllWeights.bin.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/message.h"
#include "common/random.h"
#include "genetics/weight_file.h"
#include "geometry/matrix2d.h"
#include "log/debug_log.h"
#include "params/params.h"
#include "tests/fuzz/fuzz_support.h"
#include "world/fungus_transform.h"
#include "world/world.h"

namespace {

// What one execution may cost: larger accepted values are legal but slow
// the fuzzer down without reaching new code.
constexpr std::int64_t kMaxPopulationWeights = 20000;
constexpr int kMaxFungi = 500;
constexpr int kMaxTicksPerGeneration = 200;
constexpr int kTicksAfterGenerationEnd = 16;

void Silent(void*, const char*, const char*) {}

void Check(bool ok) {
  if (!ok) std::abort();
}

void PutWeightFile(std::string_view bytes) {
  if (bytes.empty()) {
    unlink(kWeightFileName);
    return;
  }
  std::FILE* f = std::fopen(kWeightFileName, "wb");
  Check(f != nullptr);
  Check(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
  Check(std::fclose(f) == 0);
}

// What the window draws and the log prints comes from these values: the
// shapes at the critters' and fungi's places, the statistics as log numbers.
void DrawAndFormat(const World& w) {
  char buf[48];
  for (const Critter& c : w.vecCritters) {
    Shape shape = kCritterShape;
    c.WorldTransform(shape, 6.0);
    FormatLogNumber(c.dPosX, buf, sizeof buf);
    FormatLogNumber(c.dHeading, buf, sizeof buf);
  }
  for (const Vec2D& f : w.vecFungi) {
    Shape shape = kFungusShape;
    FungusWorldTransform(shape, f.x, f.y);
  }
  for (double v : {w.dComposite, w.dBestComposite, w.dBestFitnessRollingAvg, w.dAvgFitnessRollingAvg,
                   w.dBestAvgRollingRatio, w.dBestWorstFitnessRatio, w.dBestScaled})
    FormatLogNumber(v, buf, sizeof buf);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  AbsolutePathArguments(argc, argv);
  // The World reads and writes its files in the current directory.
  Check(chdir(PrivateRunDirectory().c_str()) == 0);
  SetMessageHandler(&Silent);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t end = input.find('\0');
  const std::string text(input.substr(0, end));
  const std::string_view rest = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  std::uint32_t seed = 0;
  for (std::size_t i = 0; i < 4 && i < rest.size(); ++i)
    seed |= static_cast<std::uint32_t>(static_cast<unsigned char>(rest[i])) << (8 * i);
  const std::string_view weights = rest.size() > 4 ? rest.substr(4) : std::string_view();

  ParamsRecord p = ParseParams(text);
  if (!CheckParams(p).empty()) return 0;
  if (NetworkWeightCount(p) * p.CritterCount > kMaxPopulationWeights || p.FungusCount > kMaxFungi) return 0;
  p.TicksPerGeneration = std::min(p.TicksPerGeneration, kMaxTicksPerGeneration);

  Params = p;
  SeedRandom(seed);
  PutWeightFile(weights);
  World world;
  world.bFastMode = true;  // as the headless runner does
  // A failed tick is a legal end: the run stops there.
  for (int after = 0; after < kTicksAfterGenerationEnd && world.Update();)
    if (world.iGeneration > 0) ++after;
  DrawAndFormat(world);
  return 0;
}
