#pragma once

#include <string>

// The lock that keeps two runners (two `run`s, a `run` and a Slurm array,
// two arrays) out of one task's directory: DIR/runs/<task>.lock, beside the
// directory it guards and never removed, held with flock(2) by the runner
// that runs the task, from before it empties the directory until the run's
// end is recorded. The kernel frees it when its holder dies, however it
// dies. On a shared filesystem it needs locks that every machine sees
// (NFSv4, or NFSv3 with its lock daemon; a filesystem whose locks stay on
// one machine keeps apart only the runners of that machine).
class TaskLock {
 public:
  enum class Outcome { kHeld, kElsewhere, kFailed };

  TaskLock() = default;
  ~TaskLock();
  TaskLock(TaskLock&& other) noexcept;
  TaskLock& operator=(TaskLock&& other) noexcept;
  TaskLock(const TaskLock&) = delete;
  TaskLock& operator=(const TaskLock&) = delete;

  // Takes the task's lock without waiting: kHeld, kElsewhere when another
  // runner holds it, or kFailed with why (the filesystem has no locks, ...).
  Outcome Take(const std::string& dir, int task, std::string* why);

 private:
  int fd_ = -1;
};
