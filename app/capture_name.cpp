#include "app/capture_name.h"

#include <sys/stat.h>

#include <array>

namespace {

bool Taken(const std::string& name) {
  struct stat st{};
  return lstat(name.c_str(), &st) == 0;
}

}  // namespace

std::string CaptureName(std::time_t when, const std::string& extension) {
  std::tm local{};
  localtime_r(&when, &local);
  std::array<char, 32> stamp{};
  std::strftime(stamp.data(), stamp.size(), "vexlora-%Y%m%d-%H%M%S", &local);
  const std::string base = stamp.data();
  std::string name = base + "." + extension;
  for (int n = 2; Taken(name); ++n) name = base + "-" + std::to_string(n) + "." + extension;
  return name;
}
