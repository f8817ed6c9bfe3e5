#include "genetics/weight_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/regular_file.h"

static_assert(std::endian::native == std::endian::little, "the weight file holds little-endian doubles");

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Reads at most limit bytes; stops early at the end of the file or an error.
std::string ReadUpTo(int fd, std::size_t limit) {
  std::string bytes(limit, '\0');
  std::size_t got = 0;
  while (got < limit) {
    const ssize_t n = read(fd, bytes.data() + got, limit - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

std::size_t ValueCount(int count, int weightsPerGenome) {
  if (count <= 0 || weightsPerGenome <= 0) return 0;
  return static_cast<std::size_t>(count) * static_cast<std::size_t>(weightsPerGenome);
}

}  // namespace

std::string WeightFileTemporary(const std::string& path) { return path + ".tmp"; }

std::string WeightFileBytes(const Population& genomes, int count, int weightsPerGenome) {
  std::string bytes(ValueCount(count, weightsPerGenome) * sizeof(double), '\0');
  char* out = bytes.data();
  for (int g = 0; g < count && weightsPerGenome > 0; ++g) {
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
  // The temporary sits in the same directory so the rename replaces the old
  // file in one step. Whatever has that name now (the leftover of a save cut
  // short, a link someone placed) is removed first and never written through.
  const std::string temp = WeightFileTemporary(path);
  unlink(temp.c_str());
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const bool written = WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
  const bool closed = close(fd) == 0;
  if (!(written && closed) || std::rename(temp.c_str(), path.c_str()) != 0) unlink(temp.c_str());
}

void LoadWeightBytes(Population& genomes, int count, int weightsPerGenome, std::string_view bytes) {
  const std::size_t n = ValueCount(count, weightsPerGenome);
  if (n == 0) return;
  // Whole values only: a trailing part of a value is left at zero.
  const std::size_t whole = std::min(n, bytes.size() / sizeof(double));
  std::size_t j = 0;
  for (int g = 0; g < count; ++g) {
    std::vector<double>& w = genomes[static_cast<std::size_t>(g)].vecNetWeights;
    for (int k = 0; k < weightsPerGenome; ++k, ++j) {
      double v = 0.0;
      if (j < whole) std::memcpy(&v, bytes.data() + j * sizeof(double), sizeof v);
      if (static_cast<std::size_t>(k) < w.size()) w[static_cast<std::size_t>(k)] = v;
    }
  }
}

void LoadAllWeights(Population& genomes, int count, int weightsPerGenome, const std::string& path) {
  if (ValueCount(count, weightsPerGenome) == 0) return;
  const int fd = OpenRegularFile(path);
  if (fd < 0) return;
  const std::string bytes = ReadUpTo(fd, ValueCount(count, weightsPerGenome) * sizeof(double));
  close(fd);
  LoadWeightBytes(genomes, count, weightsPerGenome, bytes);
}
