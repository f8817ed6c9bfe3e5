// The weight-file loader on any bytes, into populations of any small shape,
// from memory or through a real file; every result is checked against the
// loading rule.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "genetics/weight_file.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// What a weight the loader must not touch holds beforehand.
constexpr double kUntouched = -12345.5;

enum Source { kMemory = 0, kFile = 1, kMissingFile = 2, kDirectory = 3 };

void Check(bool ok) {
  if (!ok) std::abort();
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void WriteFile(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  Check(f != nullptr);
  Check(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
  Check(std::fclose(f) == 0);
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
  std::fclose(f);
  return bytes;
}

// Value j of the file: whole values only, zero beyond them.
double FileValue(std::string_view bytes, std::size_t j) {
  double v = 0.0;
  if (j < bytes.size() / sizeof(double)) std::memcpy(&v, bytes.data() + j * sizeof(double), sizeof v);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  // Leading bytes: the shape (a few counts not positive), the source, how
  // long the genomes are against weightsPerGenome, a spare genome, and
  // whether to save the result and read the file back.
  const int count = (data[0] & 15) - 2;
  const int weightsPerGenome = (data[1] & 31) - 2;
  const Source source = static_cast<Source>(data[2] & 3);
  const int lengthDelta = ((data[2] >> 2) & 7) - 3;
  const bool spareGenome = (data[2] >> 5) & 1;
  const bool saveBack = (data[2] >> 6) & 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 3, size - 3);

  const std::size_t length = static_cast<std::size_t>(std::max(weightsPerGenome + lengthDelta, 0));
  Population population(static_cast<std::size_t>(std::max(count, 0)) + (spareGenome ? 1 : 0));
  for (Genome& g : population) g.vecNetWeights.assign(length, kUntouched);

  const std::string& dir = PrivateRunDirectory();
  const std::string file = dir + "/" + kWeightFileName;
  switch (source) {
    case kMemory:
      LoadWeightBytes(population, count, weightsPerGenome, bytes);
      break;
    case kFile:
      WriteFile(file, bytes);
      LoadAllWeights(population, count, weightsPerGenome, file);
      break;
    case kMissingFile:
      unlink(file.c_str());
      LoadAllWeights(population, count, weightsPerGenome, file);
      break;
    case kDirectory:
      LoadAllWeights(population, count, weightsPerGenome, dir);
      break;
  }

  const bool loads = (source == kMemory || source == kFile) && count > 0 && weightsPerGenome > 0;
  for (std::size_t g = 0; g < population.size(); ++g) {
    const std::vector<double>& w = population[g].vecNetWeights;
    Check(w.size() == length);
    for (std::size_t k = 0; k < length; ++k) {
      const bool covered = loads && g < static_cast<std::size_t>(count) && k < static_cast<std::size_t>(weightsPerGenome);
      const double expected = covered ? FileValue(bytes, g * static_cast<std::size_t>(weightsPerGenome) + k) : kUntouched;
      Check(SameBits(w[k], expected));
    }
  }

  // The bytes of the population: weight by weight, zero where a genome is short.
  const std::string out = WeightFileBytes(population, count, weightsPerGenome);
  const std::size_t values = count > 0 && weightsPerGenome > 0 ? static_cast<std::size_t>(count) * static_cast<std::size_t>(weightsPerGenome) : 0;
  Check(out.size() == values * sizeof(double));
  for (std::size_t j = 0; j < values; ++j) {
    const std::size_t g = j / static_cast<std::size_t>(weightsPerGenome), k = j % static_cast<std::size_t>(weightsPerGenome);
    double v;
    std::memcpy(&v, out.data() + j * sizeof(double), sizeof v);
    Check(SameBits(v, k < length ? population[g].vecNetWeights[k] : 0.0));
  }

  if (saveBack) {
    SaveAllWeights(population, count, weightsPerGenome, file);
    Check(ReadFile(file) == out);
    Check(access(WeightFileTemporary(file).c_str(), F_OK) != 0);  // the temporary was renamed
  }
  return 0;
}
