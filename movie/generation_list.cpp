#include "movie/generation_list.h"

#include <algorithm>
#include <charconv>

namespace {

// One end of an entry: a number or "last".
bool ParseGeneration(std::string_view text, int lastGeneration, int& generation, std::string& why) {
  if (text == "last") {
    generation = lastGeneration;
  } else {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, generation);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || generation < 0) {
      why = "\"" + std::string(text) + "\" is not a generation number";
      return false;
    }
  }
  if (generation < 0 || generation > lastGeneration) {
    why = lastGeneration < 0 ? "the run plays no generation"
                             : "generation " + std::string(text) + " is not reached (the run plays 0 to " +
                                   std::to_string(lastGeneration) + ")";
    return false;
  }
  return true;
}

}  // namespace

std::optional<std::vector<int>> ParseGenerationList(std::string_view list, int lastGeneration, std::string& why) {
  std::vector<int> generations;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = list.find(',', start);
    const std::string_view entry = list.substr(start, comma == std::string_view::npos ? list.npos : comma - start);
    // A dash after the first character separates a range.
    const std::size_t dash = entry.find('-', 1);
    int first = 0;
    int last = 0;
    if (!ParseGeneration(entry.substr(0, dash), lastGeneration, first, why)) return std::nullopt;
    last = first;
    if (dash != std::string_view::npos && !ParseGeneration(entry.substr(dash + 1), lastGeneration, last, why))
      return std::nullopt;
    if (last < first) {
      why = "the range " + std::string(entry) + " runs backwards";
      return std::nullopt;
    }
    for (int g = first; g <= last; ++g) generations.push_back(g);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  std::sort(generations.begin(), generations.end());
  generations.erase(std::unique(generations.begin(), generations.end()), generations.end());
  return generations;
}
