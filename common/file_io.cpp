#include "common/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/regular_file.h"

namespace {

std::string Failed(const std::string& what, const std::string& path, int error) {
  return what + " " + path + " (" + std::strerror(error) + ")";
}

// Syncs what a path names, a file or a directory; the errno, or 0.
int SyncPath(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int error = fsync(fd) == 0 ? 0 : errno;
  close(fd);
  return error;
}

std::string DirectoryOf(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  return parent.empty() ? "." : parent.string();
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* why) {
  const int fd = OpenRegularFile(path, why);
  if (fd < 0) return false;
  bytes->clear();
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *why = std::strerror(errno);
      close(fd);
      return false;
    }
    if (n == 0) break;
    bytes->append(chunk, static_cast<std::size_t>(n));
  }
  close(fd);
  return true;
}

bool SyncDirectory(const std::string& path, std::string* why) {
  if (const int error = SyncPath(path)) {
    *why = Failed("cannot sync", path, error);
    return false;
  }
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* why) {
  return WriteFileAtomically(
      path, [&bytes](std::FILE* out) { return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size(); },
      why);
}

bool WriteFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write, std::string* why) {
  const std::string temporary = path + ".tmp";
  auto fail = [&](int error) {
    *why = Failed("cannot write", path, error);
    unlink(temporary.c_str());
    return false;
  };
  if (unlink(temporary.c_str()) != 0 && errno != ENOENT) return fail(errno);
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    *why = Failed("cannot write", path, errno);
    return false;
  }
  std::FILE* out = fdopen(fd, "w");
  if (out == nullptr) {
    const int error = errno;
    close(fd);
    return fail(error);
  }
  errno = 0;
  const bool written = write(out) && std::fflush(out) == 0 && fsync(fd) == 0;
  const int error = errno != 0 ? errno : EIO;
  if (std::fclose(out) != 0 && written) return fail(errno);
  if (!written) return fail(error);
  if (std::rename(temporary.c_str(), path.c_str()) != 0) return fail(errno);
  return SyncDirectory(DirectoryOf(path), why);
}

bool RenameDurably(const std::string& from, const std::string& to, std::string* why) {
  if (const int error = SyncPath(from)) {
    *why = Failed("cannot sync", from, error);
    return false;
  }
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    *why = Failed("cannot rename", from, errno);
    return false;
  }
  return SyncDirectory(DirectoryOf(to), why);
}

bool CopyFileDurably(const std::string& from, const std::string& to, std::string* why) {
  std::error_code ec;
  if (!std::filesystem::copy_file(from, to, ec)) {
    *why = "cannot copy " + from + " to " + to + " (" + ec.message() + ")";
    return false;
  }
  if (const int error = SyncPath(to)) {
    *why = Failed("cannot sync", to, error);
    return false;
  }
  return SyncDirectory(DirectoryOf(to), why);
}
