#include "tests/e2e/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

ChildProcess::ChildProcess(const std::string& directory, const std::vector<std::string>& argv,
                           const std::string& outPath, const std::string& errPath) {
  // Everything the child needs is built before fork: after it only
  // async-signal-safe calls are allowed.
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  static const char kExecFailed[] = "exec failed\n";

  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
  if (pid_ == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(directory.c_str()) != 0)
      _exit(127);
    for (const int fd : {in, out, err})
      if (fd > 2) close(fd);
    execv(args[0], args.data());
    const ssize_t ignored = write(2, kExecFailed, sizeof kExecFailed - 1);
    (void)ignored;
    _exit(127);
  }
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !reaped_) {
    Kill();
    Wait();
  }
}

bool ChildProcess::Running() const {
  if (reaped_) return false;
  siginfo_t info{};
  // WNOWAIT leaves an ended child to Wait(), which needs its resource usage.
  if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return false;
  return info.si_pid == 0;
}

void ChildProcess::Kill() {
  if (!reaped_) kill(pid_, SIGKILL);
}

bool ChildProcess::Stop() {
  if (reaped_) return false;
  kill(pid_, SIGSTOP);
  return !Reap(WUNTRACED);
}

void ChildProcess::Continue() {
  if (!reaped_) kill(pid_, SIGCONT);
}

bool ChildProcess::Reap(int options) {
  int raw = 0;
  rusage usage{};
  pid_t got;
  do {
    got = wait4(pid_, &raw, options, &usage);
  } while (got < 0 && errno == EINTR);
  if (got == pid_ && WIFSTOPPED(raw)) return false;
  reaped_ = true;
  if (got != pid_) return true;
  if (WIFEXITED(raw)) end_.status = WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) end_.signal = WTERMSIG(raw);
  end_.maxRssKiB = usage.ru_maxrss;
  return true;
}

ChildEnd ChildProcess::Wait() {
  if (!reaped_) Reap(0);
  return end_;
}
