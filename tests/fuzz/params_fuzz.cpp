// Any params.ini text through the reader and the start-up check.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "params/params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const ParamsRecord p = ParseParams(text);
  const std::string problem = CheckParams(p);
  // What the World relies on once the check has passed: a network of at
  // least two weights whose count fits the int it is kept in.
  if (problem.empty()) {
    const std::int64_t weights = NetworkWeightCount(p);
    if (weights < 2 || weights > INT_MAX) std::abort();
  }
  return 0;
}
