#include "sweep/task.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/file_io.h"
#include "sweep/child.h"
#include "sweep/experiment_dir.h"

namespace fs = std::filesystem;

namespace {

const char kPartial[] = "run.csv.part";

std::string LastLine(const std::string& path) {
  std::ifstream in(path);
  std::string last;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) last = line;
  return last;
}

}  // namespace

TaskStart StartTask(const std::string& dir, const Plan& plan, const Task& task, const std::string& evolve) {
  TaskStart start;
  int ignored = 0;
  if (ReadRunState(dir, task, &ignored) == RunState::kDone) {
    start.kind = TaskStart::kFinished;
    return start;
  }
  switch (start.lock.Take(dir, task.index, &start.why)) {
    case TaskLock::Outcome::kElsewhere:
      start.kind = TaskStart::kElsewhere;
      return start;
    case TaskLock::Outcome::kFailed:
      return start;
    case TaskLock::Outcome::kHeld:
      break;
  }
  // Another runner may have finished it before letting go of the lock.
  if (ReadRunState(dir, task, &ignored) == RunState::kDone) {
    start.kind = TaskStart::kFinished;
    return start;
  }
  const fs::path run = RunDir(dir, task.index);
  auto failed = [&](const std::string& why) {
    start.why = why;
    std::error_code ec;
    fs::create_directories(run, ec);
    std::ofstream((run / "stderr.txt").string(), std::ios::trunc) << "vexlora-sweep: " << why << "\n";
    std::string ignoredWhy;
    WriteFileAtomically((run / "exit-status").string(), std::to_string(kStartFailed) + "\n", &ignoredWhy);
    return std::move(start);
  };
  std::error_code ec;
  fs::remove_all(run, ec);
  if (ec || !fs::create_directories(run, ec))
    return failed("cannot make " + run.string() + " empty (" + ec.message() + ")");
  // The run's directory lasts as long as the run.csv it will hold.
  if (std::string why; !SyncDirectory(run.parent_path().string(), &why)) return failed(why);
  if (!plan.weights.empty() && !fs::copy_file(plan.weights, run / "AllWeights.bin", ec))
    return failed("cannot copy " + plan.weights + " into " + run.string() + " (" + ec.message() + ")");
  const std::vector<std::string> args = {
      "--quiet",  "--seed", std::to_string(task.seed), "--generations", std::to_string(task.generations),
      "--params", "../../variants/" + std::to_string(task.variant) + "/params.ini", "--csv", kPartial};
  std::string why;
  start.pid = StartChild(evolve, args, run.string(), (run / "stderr.txt").string(), &why);
  if (start.pid < 0) return failed(why);
  start.kind = TaskStart::kStarted;
  return start;
}

TaskEnd FinishTask(const std::string& dir, const Task& task, int waitStatus) {
  const fs::path run = RunDir(dir, task.index);
  TaskEnd end;
  end.message = LastLine((run / "stderr.txt").string());
  if (WIFSIGNALED(waitStatus)) {
    end.kind = TaskEnd::kKilled;
    end.signal = WTERMSIG(waitStatus);
    return end;
  }
  end.status = WEXITSTATUS(waitStatus);
  if (end.status == 0) {
    // The finished CSV reaches the disk before its name says it is whole.
    if (RenameDurably((run / kPartial).string(), (run / "run.csv").string(), &end.message)) {
      end.kind = TaskEnd::kDone;
      return end;
    }
    end.status = 1;
  }
  end.kind = TaskEnd::kFailed;
  std::string ignored;
  WriteFileAtomically((run / "exit-status").string(), std::to_string(end.status) + "\n", &ignored);
  return end;
}

std::string TaskName(const Plan& plan, const Task& task) {
  std::string name = "task " + std::to_string(task.index) + " (";
  if (!plan.names.empty()) name += VariantLabel(plan, task.variant) + ", ";
  return name + "seed " + std::to_string(task.seed) + ")";
}

long long GenerationsWritten(const std::string& dir, const Task& task) {
  const int fd = open((fs::path(RunDir(dir, task.index)) / kPartial).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  long long lines = 0;
  char chunk[65536];
  for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
    for (ssize_t i = 0; i < n; ++i) lines += chunk[i] == '\n';
  close(fd);
  return lines > 0 ? lines - 1 : 0;  // the header is no generation
}

std::string ElsewhereLine(const Plan& plan, const Task& task) {
  return TaskName(plan, task) + " is running in another vexlora-sweep; left to it";
}

int RunOneTask(const std::string& dir, const Plan& plan, const Task& task, const std::string& evolve) {
  TaskStart start = StartTask(dir, plan, task, evolve);
  switch (start.kind) {
    case TaskStart::kFinished:
      return 0;
    case TaskStart::kElsewhere:
      std::fprintf(stderr, "vexlora-sweep: %s\n", ElsewhereLine(plan, task).c_str());
      return 0;
    case TaskStart::kFailed:
      std::fprintf(stderr, "vexlora-sweep: %s could not start: %s\n", TaskName(plan, task).c_str(), start.why.c_str());
      return 1;
    case TaskStart::kStarted:
      break;
  }
  int status = 0;
  while (waitpid(start.pid, &status, 0) < 0 && errno == EINTR) {
  }
  const TaskEnd end = FinishTask(dir, task, status);
  if (end.kind == TaskEnd::kDone) return 0;
  if (end.kind == TaskEnd::kFailed) {
    std::fprintf(stderr, "vexlora-sweep: %s failed with status %d: %s\n", TaskName(plan, task).c_str(), end.status,
                 end.message.c_str());
    return 3;
  }
  std::fprintf(stderr, "vexlora-sweep: %s was killed by signal %d\n", TaskName(plan, task).c_str(), end.signal);
  return 1;
}
