#include "sweep/scheduler.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>

#include "common/progress_line.h"
#include "sweep/task.h"

namespace {

using Clock = std::chrono::steady_clock;

void NoOp(int) {}

}  // namespace

SchedulerResult RunTasks(const std::string& dir, const Plan& plan, const std::vector<Task>& pending, int alreadyDone,
                         const SchedulerOptions& options) {
  SchedulerResult result;
  // Children's ends and the stop signals are taken in turn from one queue.
  sigset_t waited, previous;
  sigemptyset(&waited);
  for (const int s : {SIGCHLD, SIGINT, SIGTERM, SIGHUP}) sigaddset(&waited, s);
  sigprocmask(SIG_BLOCK, &waited, &previous);
  struct sigaction quiet {}, oldChild {};
  quiet.sa_handler = NoOp;
  sigaction(SIGCHLD, &quiet, &oldChild);

  struct Running {
    Task task;
    TaskLock lock;  // held until its end is recorded
  };
  std::map<pid_t, Running> running;
  std::size_t next = 0;
  bool startFailed = false;  // then no later run starts
  int done = alreadyDone;
  int all = alreadyDone + static_cast<int>(pending.size());
  long long finishedGenerations = 0, generationsAll = 0;
  for (const Task& t : pending) generationsAll += t.generations;
  const Clock::time_point start = Clock::now();
  Clock::time_point lastShown = start - std::chrono::seconds(1);

  auto show = [&](bool force) {
    if (!options.progress) return;
    const Clock::time_point now = Clock::now();
    if (!force && now - lastShown < std::chrono::milliseconds(500)) return;
    lastShown = now;
    ProgressFigures f;
    f.done = done;
    f.all = all;
    f.generationsDone = finishedGenerations;
    for (const auto& [pid, run] : running) f.generationsDone += GenerationsWritten(dir, run.task);
    f.generationsLeft = generationsAll - f.generationsDone;
    f.seconds = std::chrono::duration<double>(now - start).count();
    std::fprintf(stderr, "\r%s\033[K", ProgressLine(f).c_str());
    std::fflush(stderr);
  };
  auto say = [&](const std::string& line) {
    if (options.progress) std::fputs("\r\033[K", stderr);
    std::fprintf(stderr, "vexlora-sweep: %s\n", line.c_str());
    show(true);
  };

  auto reap = [&] {
    for (;;) {
      int status = 0;
      const pid_t pid = waitpid(-1, &status, WNOHANG);
      if (pid <= 0) return;
      const auto it = running.find(pid);
      if (it == running.end()) continue;
      const Task task = it->second.task;
      const TaskEnd end = FinishTask(dir, task, status);
      running.erase(it);
      if (result.stopSignal && end.kind == TaskEnd::kKilled) continue;  // stopped by us: runs again next time
      if (end.kind == TaskEnd::kDone) {
        ++done;
        finishedGenerations += task.generations;
      } else if (end.kind == TaskEnd::kFailed) {
        ++done;
        say(TaskName(plan, task) + " failed with status " + std::to_string(end.status) + ": " + end.message);
      } else {
        say(TaskName(plan, task) + " was killed by signal " + std::to_string(end.signal) +
            "; it runs again next time");
      }
    }
  };

  show(true);
  auto starting = [&] { return !startFailed && next < pending.size(); };
  while (!result.stopSignal && (starting() || !running.empty())) {
    while (starting() && static_cast<int>(running.size()) < options.jobs) {
      const Task& task = pending[next++];
      TaskStart start = StartTask(dir, plan, task, options.evolve);
      switch (start.kind) {
        case TaskStart::kStarted:
          running.emplace(start.pid, Running{task, std::move(start.lock)});
          break;
        case TaskStart::kFinished:  // by another runner, meanwhile
          ++done;
          generationsAll -= task.generations;
          break;
        case TaskStart::kElsewhere:
          --all;
          generationsAll -= task.generations;
          say(ElsewhereLine(plan, task));
          break;
        case TaskStart::kFailed:
          ++done;
          generationsAll -= task.generations;
          startFailed = true;
          say(TaskName(plan, task) + " could not start: " + start.why + "; no more runs start, those going finish");
          break;
      }
    }
    if (running.empty()) break;
    const timespec wait = {0, 200 * 1000 * 1000};
    const int got = sigtimedwait(&waited, nullptr, &wait);
    if (got == SIGINT || got == SIGTERM || got == SIGHUP) result.stopSignal = got;
    reap();
    show(false);
  }

  // Stopping: every child goes, and is waited for, before the sweep ends.
  for (const auto& [pid, run] : running) kill(pid, SIGTERM);
  while (!running.empty()) {
    int status = 0;
    const pid_t pid = waitpid(-1, &status, 0);
    if (pid < 0 && errno == EINTR) continue;
    if (pid < 0) break;
    const auto it = running.find(pid);
    if (it == running.end()) continue;
    FinishTask(dir, it->second.task, status);  // a run that ended just before the signal still counts
    running.erase(it);
  }
  if (options.progress) {
    show(true);
    std::fputc('\n', stderr);
  }
  sigaction(SIGCHLD, &oldChild, nullptr);
  // Stop signals that came while stopping are dropped; the first one counts.
  if (result.stopSignal) {
    const timespec none = {0, 0};
    while (sigtimedwait(&waited, nullptr, &none) > 0) {
    }
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  return result;
}
