#include "sweep/plan.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <regex>

#include "common/file_io.h"
#include "common/regular_file.h"
#include "params/param_names.h"
#include "params/params.h"

namespace {

const std::regex kWhole("[+-]?[0-9]+");
const std::regex kReal("[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?");

bool ParseUnsigned(const std::string& text, std::uint32_t* out) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
  if (v > UINT32_MAX) return false;
  *out = static_cast<std::uint32_t>(v);
  return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

struct Swept {
  int param = 0;
  std::vector<std::string> values;
};

// One --set option, each value checked against the kind of its field.
bool ParseSet(const std::string& option, Swept* swept, std::string* why) {
  const std::size_t eq = option.find('=');
  const std::string name = option.substr(0, eq);
  swept->param = FindParam(name);
  if (swept->param < 0) {
    *why = "--set: \"" + name + "\" is no parameter name (FrameRate, InputCount, ... EliteCopyFactor)";
    return false;
  }
  if (eq == std::string::npos || eq + 1 == option.size()) {
    *why = "--set " + name + ": no values (write " + name + "=V1,V2,...)";
    return false;
  }
  swept->values = Split(option.substr(eq + 1), ',');
  const bool whole = kParamNames[swept->param].integer != nullptr;
  for (std::size_t i = 0; i < swept->values.size(); ++i) {
    const std::string& v = swept->values[i];
    if (whole) {
      errno = 0;
      const long long n = std::regex_match(v, kWhole) ? std::strtoll(v.c_str(), nullptr, 10) : 0;
      if (!std::regex_match(v, kWhole) || errno == ERANGE || n < INT_MIN || n > INT_MAX) {
        *why = "--set " + name + ": \"" + v + "\" is not a whole number";
        return false;
      }
    } else if (!std::regex_match(v, kReal) || !std::isfinite(std::strtod(v.c_str(), nullptr))) {
      *why = "--set " + name + ": \"" + v + "\" is not a number";
      return false;
    }
    // Told apart as the parameter reads them: 0.1 and 0.10 are one value.
    const ParamsRecord record = RecordWithValue(swept->param, v);
    for (std::size_t j = 0; j < i; ++j) {
      if (SameParam(record, RecordWithValue(swept->param, swept->values[j]), swept->param)) {
        *why = "--set " + name + ": " + v + " is " + swept->values[j] + " again";
        return false;
      }
    }
  }
  return true;
}

}  // namespace

std::vector<Task> PlanTasks(const Plan& plan) {
  std::vector<Task> tasks;
  tasks.reserve(plan.variantParams.size() * plan.seeds.size());
  for (std::size_t v = 0; v < plan.variantParams.size(); ++v)
    for (const std::uint32_t seed : plan.seeds)
      tasks.push_back({static_cast<int>(tasks.size()), static_cast<int>(v), seed, plan.generations});
  return tasks;
}

std::string VariantLabel(const Plan& plan, int variant) {
  if (plan.names.empty()) return "all runs";
  std::string label;
  for (std::size_t i = 0; i < plan.names.size(); ++i) {
    if (i) label += ", ";
    label += plan.names[i] + "=" + plan.variantValues[static_cast<std::size_t>(variant)][i];
  }
  return label;
}

bool ParseSeedList(const std::string& text, std::vector<std::uint32_t>* seeds, std::string* why) {
  seeds->clear();
  if (text.empty()) {
    *why = "--seeds: the seed list is empty";
    return false;
  }
  std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
  for (const std::string& part : Split(text, ',')) {
    const std::size_t dash = part.find('-');
    std::uint32_t first = 0, last = 0;
    if (!ParseUnsigned(part.substr(0, dash), &first) ||
        (dash != std::string::npos && !ParseUnsigned(part.substr(dash + 1), &last))) {
      *why = "--seeds: \"" + part + "\" is not a seed (0 to 4294967295) or a range of them like 1-20";
      return false;
    }
    if (dash == std::string::npos) last = first;
    if (last < first) {
      *why = "--seeds: the range " + part + " runs backwards";
      return false;
    }
    ranges.emplace_back(first, last);
  }
  // Overlapping ranges merged first: a seed given twice counts once.
  std::sort(ranges.begin(), ranges.end());
  std::vector<std::pair<std::uint64_t, std::uint64_t>> merged;
  for (const auto& r : ranges) {
    if (!merged.empty() && r.first <= merged.back().second + 1)
      merged.back().second = std::max(merged.back().second, r.second);
    else
      merged.push_back(r);
  }
  std::uint64_t count = 0;
  for (const auto& [first, last] : merged) count += last - first + 1;
  if (count > static_cast<std::uint64_t>(kMaxRuns)) {
    *why = "--seeds: more than 100,000 seeds";
    return false;
  }
  for (const auto& [first, last] : merged)
    for (std::uint64_t s = first; s <= last; ++s) seeds->push_back(static_cast<std::uint32_t>(s));
  return true;
}

std::string FormatRanges(const std::vector<std::uint32_t>& ascending) {
  std::string text;
  for (std::size_t i = 0; i < ascending.size();) {
    std::size_t j = i;
    while (j + 1 < ascending.size() && ascending[j + 1] == ascending[j] + 1) ++j;
    if (!text.empty()) text += ",";
    text += std::to_string(ascending[i]);
    if (j > i) text += "-" + std::to_string(ascending[j]);
    i = j + 1;
  }
  return text;
}

bool MakePlan(const PlanOptions& options, Plan* plan, std::string* why) {
  *plan = Plan{};
  plan->generations = options.generations;
  plan->weights = options.weights;
  if (!ParseSeedList(options.seeds, &plan->seeds, why)) return false;

  std::vector<Swept> swept;
  long long variants = 1;
  for (const std::string& option : options.sets) {
    Swept s;
    if (!ParseSet(option, &s, why)) return false;
    for (const Swept& earlier : swept) {
      if (earlier.param == s.param) {
        *why = std::string("--set ") + kParamNames[s.param].name + " is given twice";
        return false;
      }
    }
    variants *= static_cast<long long>(s.values.size());
    if (variants * static_cast<long long>(plan->seeds.size()) > kMaxRuns) {
      *why = "more than 100,000 runs (variants times seeds)";
      return false;
    }
    plan->names.push_back(kParamNames[s.param].name);
    swept.push_back(std::move(s));
  }
  if (variants * static_cast<long long>(plan->seeds.size()) > kMaxRuns) {
    *why = "more than 100,000 runs (variants times seeds)";
    return false;
  }

  std::string base;
  if (std::string reason; !ReadWholeFile(options.params, &base, &reason)) {
    *why = "--params: cannot read " + options.params + " (" + reason + ")";
    return false;
  }
  if (!options.weights.empty()) {
    std::string reason;
    const int fd = OpenRegularFile(options.weights, &reason);
    if (fd < 0) {
      *why = "--weights: cannot read " + options.weights + " (" + reason + ")";
      return false;
    }
    close(fd);
  }

  // The base file's values, each kept as written.
  const std::vector<std::string> baseValues = ParamValueTexts(base);
  const ParamsRecord baseRecord = ParseParams(base);

  for (long long v = 0; v < variants; ++v) {
    // The first --set varies slowest.
    std::vector<std::string> chosen(swept.size());
    long long rest = v;
    for (std::size_t k = swept.size(); k-- > 0;) {
      chosen[k] = swept[k].values[static_cast<std::size_t>(rest % static_cast<long long>(swept[k].values.size()))];
      rest /= static_cast<long long>(swept[k].values.size());
    }
    std::vector<std::string> values(kParamCount);
    std::vector<bool> isSet(kParamCount, false);
    for (std::size_t k = 0; k < swept.size(); ++k) {
      values[static_cast<std::size_t>(swept[k].param)] = chosen[k];
      isSet[static_cast<std::size_t>(swept[k].param)] = true;
    }
    for (int i = 0; i < kParamCount; ++i) {
      if (isSet[static_cast<std::size_t>(i)]) continue;
      if (static_cast<std::size_t>(i) >= baseValues.size()) {
        *why = "--params: " + options.params + " has no value for " + kParamNames[i].name + " that reads as a number";
        return false;
      }
      values[static_cast<std::size_t>(i)] = baseValues[static_cast<std::size_t>(i)];
    }
    const std::string text = ParamsText(values);

    // Written out again, every value must read back as it was meant.
    const ParamsRecord record = ParseParams(text);
    for (int i = 0; i < kParamCount; ++i) {
      const ParamName& p = kParamNames[i];
      const std::string& word = values[static_cast<std::size_t>(i)];
      bool same;
      if (!isSet[static_cast<std::size_t>(i)]) {
        same = SameParam(record, baseRecord, i);
      } else if (p.integer) {
        same = record.*p.integer == static_cast<int>(std::strtoll(word.c_str(), nullptr, 10));
      } else {
        same = record.*p.real == std::strtod(word.c_str(), nullptr);
      }
      if (!same) {
        *why = "--params: the value of " + std::string(p.name) + " in " + options.params + " (\"" + word +
               "\") does not read back the same on a line of its own";
        return false;
      }
    }
    Plan probe;
    probe.names = plan->names;
    probe.variantValues = {chosen};
    const std::string where = swept.empty() ? options.params
                                            : "variant " + std::to_string(v) + " (" + VariantLabel(probe, 0) + ")";
    if (const std::string problem = CheckParams(record, where); !problem.empty()) {
      *why = problem;
      return false;
    }
    plan->variantValues.push_back(std::move(chosen));
    plan->variantParams.push_back(text);
  }
  return true;
}
