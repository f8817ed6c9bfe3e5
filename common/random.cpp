#include "common/random.h"

namespace {
std::uint32_t g_state = 1;
}

void SeedRandom(std::uint32_t seed) { g_state = seed; }

int RandomInt() {
  g_state = g_state * 214013u + 2531011u;
  return static_cast<int>((g_state >> 16) & 0x7FFFu);
}

double RandomFraction() { return RandomInt() * (1.0 / 32768.0); }

double RandomSigned() {
  // Two statements: the first draw must be taken before the second.
  const double first = RandomFraction();
  const double second = RandomFraction();
  return first - second;
}
