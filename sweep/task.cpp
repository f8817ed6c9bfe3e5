#include "sweep/task.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "sweep/child.h"
#include "sweep/experiment_dir.h"
#include "sweep/file_io.h"

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

pid_t StartTask(const std::string& dir, const Plan& plan, const Task& task, const std::string& evolve,
                std::string* why) {
  const fs::path run = RunDir(dir, task.index);
  std::error_code ec;
  fs::remove_all(run, ec);
  if (ec || !fs::create_directories(run, ec)) {
    *why = "cannot make " + run.string() + " empty (" + ec.message() + ")";
    return -1;
  }
  // The run's directory lasts as long as the run.csv it will hold.
  if (!SyncDirectory(run.parent_path().string(), why)) return -1;
  if (!plan.weights.empty() && !fs::copy_file(plan.weights, run / "AllWeights.bin", ec)) {
    *why = "cannot copy " + plan.weights + " into " + run.string() + " (" + ec.message() + ")";
    return -1;
  }
  const std::vector<std::string> args = {
      "--quiet",  "--seed", std::to_string(task.seed), "--generations", std::to_string(task.generations),
      "--params", "../../variants/" + std::to_string(task.variant) + "/params.ini", "--csv", kPartial};
  return StartChild(evolve, args, run.string(), (run / "stderr.txt").string(), why);
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

int RunOneTask(const std::string& dir, const Plan& plan, const Task& task, const std::string& evolve) {
  int ignored = 0;
  if (ReadRunState(dir, task, &ignored) == RunState::kDone) return 0;
  std::string why;
  const pid_t pid = StartTask(dir, plan, task, evolve, &why);
  if (pid < 0) {
    std::fprintf(stderr, "vexlora-sweep: %s\n", why.c_str());
    return 1;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
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
