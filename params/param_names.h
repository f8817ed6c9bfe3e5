#pragma once

#include <string>
#include <vector>

#include "params/params.h"

// The nineteen values of params.ini by name, in file order, as the parameter
// record names them (what vexlora-sweep's `--set NAME=...` may sweep).
struct ParamName {
  const char* name;
  int ParamsRecord::*integer;   // set for a whole-number value
  double ParamsRecord::*real;   // set for a real value
};

inline constexpr int kParamCount = 19;
extern const ParamName kParamNames[kParamCount];

// The position of a name in file order, or -1 when there is no such value.
int FindParam(const std::string& name);

// True when the value at position i is the same in both records (bit for bit
// for reals, so a NaN equals itself).
bool SameParam(const ParamsRecord& a, const ParamsRecord& b, int i);

// params.ini's text for the given value texts, one per name in file order:
// a "Name value" line each.
std::string ParamsText(const std::vector<std::string>& values);

// A record holding the value the text reads as at position i of params.ini
// (every other value zero), as the program's reader reads it.
ParamsRecord RecordWithValue(int i, const std::string& text);
