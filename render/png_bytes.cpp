#include "render/png_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* why) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  int error = file == nullptr ? errno : 0;
  if (error == 0 && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) error = errno;
  if (error == 0 && std::fflush(file) != 0) error = errno;
  if (file != nullptr && std::fclose(file) != 0 && error == 0) error = errno;
  if (error != 0 && why != nullptr) *why = std::strerror(error);
  return error == 0;
}
