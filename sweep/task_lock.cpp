#include "sweep/task_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "sweep/experiment_dir.h"

TaskLock::~TaskLock() {
  if (fd_ >= 0) close(fd_);
}

TaskLock::TaskLock(TaskLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

TaskLock& TaskLock::operator=(TaskLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

TaskLock::Outcome TaskLock::Take(const std::string& dir, int task, std::string* why) {
  const std::string path = TaskLockPath(dir, task);
  // Read and write: an exclusive lock over NFS is a write lock.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    *why = "cannot lock " + path + " (" + std::strerror(errno) + ")";
    return Outcome::kFailed;
  }
  int result;
  while ((result = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (result != 0) {
    const int error = errno;
    close(fd);
    if (error == EWOULDBLOCK) return Outcome::kElsewhere;
    *why = "cannot lock " + path + " (" + std::strerror(error) + ")";
    return Outcome::kFailed;
  }
  if (fd_ >= 0) close(fd_);
  fd_ = fd;
  return Outcome::kHeld;
}
