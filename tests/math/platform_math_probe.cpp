// Prints a checksum of the platform's exp, sin, cos and atan2 on arguments
// of the simulation's ranges: run with and without glibc's FMA code paths,
// it shows whether the two paths give different results here at all (if
// not, comparing the program's runs under both would show nothing).
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>

int main() {
  std::mt19937_64 g(7);
  std::uniform_real_distribution<double> activation(-16.0, 16.0), heading(-3.2, 3.2), arena(-600.0, 600.0);
  std::uint64_t sum = 0;
  for (int i = 0; i < 200000; ++i) {
    const double a = activation(g), h = heading(g), y = arena(g), x = arena(g);
    for (const double v : {std::exp(a), std::sin(h), std::cos(h), std::atan2(y, x)})
      sum = sum * 1000003u + std::bit_cast<std::uint64_t>(v);
  }
  std::printf("%016llx\n", static_cast<unsigned long long>(sum));
  return 0;
}
