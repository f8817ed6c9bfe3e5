#include "genetics/weight_file.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

static_assert(std::endian::native == std::endian::little, "the weight file holds little-endian doubles");

std::string WeightFileBytes(const Population& genomes, int count, int weightsPerGenome) {
  std::string bytes;
  if (count <= 0 || weightsPerGenome <= 0) return bytes;
  bytes.resize(static_cast<std::size_t>(count) * static_cast<std::size_t>(weightsPerGenome) * sizeof(double));
  char* out = bytes.data();
  for (int g = 0; g < count; ++g) {
    const std::vector<double>& w = genomes[static_cast<std::size_t>(g)].vecNetWeights;
    for (int k = 0; k < weightsPerGenome; ++k, out += sizeof(double)) {
      const double v = static_cast<std::size_t>(k) < w.size() ? w[static_cast<std::size_t>(k)] : 0.0;
      std::memcpy(out, &v, sizeof v);
    }
  }
  return bytes;
}

void SaveAllWeights(const Population& genomes, int count, int weightsPerGenome, const std::string& path) {
  const std::string bytes = WeightFileBytes(genomes, count, weightsPerGenome);
  // The temporary sits in the same directory so the rename replaces the
  // old file in one step.
  const std::string temp = path + ".tmp" + std::to_string(getpid());
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool flushed = std::fflush(f) == 0 && fsync(fileno(f)) == 0;
  const bool closed = std::fclose(f) == 0;
  if (!(written && flushed && closed) || std::rename(temp.c_str(), path.c_str()) != 0) std::remove(temp.c_str());
}

void LoadAllWeights(Population& genomes, int count, int weightsPerGenome, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return;
  // A directory of that name opens but is no weight file: keep the genomes.
  struct stat info{};
  if (fstat(fileno(f), &info) != 0 || !S_ISREG(info.st_mode) || count <= 0 || weightsPerGenome <= 0) {
    std::fclose(f);
    return;
  }
  const std::size_t n = static_cast<std::size_t>(count) * static_cast<std::size_t>(weightsPerGenome);
  std::vector<double> buffer(n, 0.0);
  // Whole values only: a trailing part of a value is left at zero.
  const std::size_t read = std::fread(buffer.data(), sizeof(double), n, f);
  std::fclose(f);
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(read), buffer.end(), 0.0);
  std::size_t j = 0;
  for (int g = 0; g < count; ++g) {
    std::vector<double>& w = genomes[static_cast<std::size_t>(g)].vecNetWeights;
    for (int k = 0; k < weightsPerGenome; ++k, ++j)
      if (static_cast<std::size_t>(k) < w.size()) w[static_cast<std::size_t>(k)] = buffer[j];
  }
}
