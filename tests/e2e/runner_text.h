#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

// The texts the runner's end-to-end tests read and write: the project's
// params.ini, variants of it, and the lines of an output.

inline std::string DefaultParamsText() { return ReadFile(std::string(VEXLORA_SOURCE_DIR) + "/params.ini"); }

// params.ini with the value of one label replaced.
inline std::string ParamsWith(std::string text, const std::string& label, const std::string& value) {
  const std::size_t at = text.find(label + " ");
  const std::size_t end = text.find('\n', at);
  return text.replace(at, end - at, label + " " + value);
}

inline std::string ParamsWith(const std::string& label, const std::string& value) {
  return ParamsWith(DefaultParamsText(), label, value);
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}
