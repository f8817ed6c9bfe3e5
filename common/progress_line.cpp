#include "common/progress_line.h"

#include <cstdio>

namespace {

std::string Duration(double seconds) {
  const long long s = static_cast<long long>(seconds + 0.5);
  char text[64];
  if (s >= 3600)
    std::snprintf(text, sizeof text, "%lldh%02lldm", s / 3600, s / 60 % 60);
  else if (s >= 60)
    std::snprintf(text, sizeof text, "%lldm%02llds", s / 60, s % 60);
  else
    std::snprintf(text, sizeof text, "%llds", s);
  return text;
}

}  // namespace

std::string ProgressLine(const ProgressFigures& f) {
  constexpr long long kWidth = 30;
  const int filled = f.all > 0 ? static_cast<int>(kWidth * f.done / f.all) : kWidth;
  const double rate = f.seconds > 0 ? static_cast<double>(f.generationsDone) / f.seconds : 0.0;
  std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] ";
  char text[160];
  std::snprintf(text, sizeof text, "%lld/%lld %s, %.1f gen/s", f.done, f.all, f.unit, rate);
  line += text;
  if (rate > 0 && f.generationsLeft > 0)
    line += ", " + Duration(static_cast<double>(f.generationsLeft) / rate) + " left";
  return line;
}
