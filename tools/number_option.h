#pragma once

// Short, plain messages for numbers on the command line, in place of CLI11's
// own (which writes out its range, the largest double in 300 digits):
//   --generations: "x" is not a whole number of 0 or more

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>

inline CLI::Validator WholeNumber(std::int64_t lo, std::int64_t hi) {
  const std::string range = hi == INT32_MAX ? std::to_string(lo) + " or more"
                                            : "from " + std::to_string(lo) + " to " + std::to_string(hi);
  return CLI::Validator(
      [lo, hi, range](std::string& text) -> std::string {
        const std::size_t digits = text.size() - (!text.empty() && text[0] == '+');
        bool whole = digits > 0 && digits <= 18 && text.find_first_not_of("0123456789", text.size() - digits) ==
                                                       std::string::npos;
        if (whole) {
          const long long v = std::stoll(text);
          whole = v >= lo && v <= hi;
        }
        if (whole) return {};
        return "\"" + text + "\" is not a whole number " + (hi == INT32_MAX ? "of " : "") + range;
      },
      "", "whole number");
}
