#include "behaviour/genome_file.h"

#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>

#include "common/regular_file.h"

static_assert(std::endian::native == std::endian::little, "genome files hold little-endian doubles");

bool ReadGenomeFile(const std::string& path, int weightsPerGenome, std::vector<double>& weights, std::string& why) {
  const int fd = OpenRegularFile(path, &why);
  if (fd < 0) return false;
  std::string bytes;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = std::string("cannot read it: ") + std::strerror(errno);
      close(fd);
      return false;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);

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
