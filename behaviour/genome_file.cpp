#include "behaviour/genome_file.h"

#include <bit>
#include <cstring>

#include "common/file_io.h"

static_assert(std::endian::native == std::endian::little, "genome files hold little-endian doubles");

bool ReadGenomeFile(const std::string& path, int weightsPerGenome, std::vector<double>& weights, std::string& why) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes, &why)) return false;

  const std::size_t genomeBytes = static_cast<std::size_t>(weightsPerGenome) * sizeof(double);
  const std::string shape = std::to_string(weightsPerGenome) + " weights (" + std::to_string(genomeBytes) + " bytes each)";
  if (bytes.empty()) {
    why = "is empty: no genome of " + shape;
    return false;
  }
  if (genomeBytes == 0 || bytes.size() % genomeBytes != 0) {
    why = "is " + std::to_string(bytes.size()) + " bytes, not a whole number of genomes of " + shape;
    return false;
  }
  weights.resize(bytes.size() / sizeof(double));
  std::memcpy(weights.data(), bytes.data(), bytes.size());
  return true;
}

std::string GenomeFileBytes(std::span<const double> weights) {
  std::string bytes(weights.size() * sizeof(double), '\0');
  if (!weights.empty()) std::memcpy(bytes.data(), weights.data(), bytes.size());
  return bytes;
}
