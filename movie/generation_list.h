#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The generations a movie records, written as a list: numbers, ranges
// "100-102" and "last", the last generation the run plays, joined by commas
// ("0,50,last"). Gives them in order without repeats, or nothing and why when
// an entry is not a generation number or names one the run does not reach
// (lastGeneration is -1 for a run that plays none).
std::optional<std::vector<int>> ParseGenerationList(std::string_view list, int lastGeneration, std::string& why);
