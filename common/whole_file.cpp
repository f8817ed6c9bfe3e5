#include "common/whole_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool WriteWhole(const std::string& path, const std::string& bytes, std::string* why) {
  return WriteWholeStream(
      path, [&bytes](std::FILE* out) { return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size(); },
      why);
}

bool WriteWholeStream(const std::string& path, const std::function<bool(std::FILE*)>& write, std::string* why) {
  const std::string temporary = path + ".tmp";
  auto fail = [&](const std::string& what, int error) {
    *why = path + ": " + what + ": " + std::strerror(error);
    return false;
  };
  if (unlink(temporary.c_str()) != 0 && errno != ENOENT) return fail("cannot replace " + temporary, errno);
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return fail("cannot create " + temporary, errno);
  std::FILE* out = fdopen(fd, "w");
  if (out == nullptr) {
    const int error = errno;
    close(fd);
    unlink(temporary.c_str());
    return fail("cannot write " + temporary, error);
  }
  errno = 0;
  bool written = write(out) && std::fflush(out) == 0;
  int error = errno != 0 ? errno : EIO;
  if (std::fclose(out) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written) {
    unlink(temporary.c_str());
    return fail("cannot write " + temporary, error);
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    error = errno;
    unlink(temporary.c_str());
    return fail("cannot rename " + temporary + " into place", error);
  }
  return true;
}
