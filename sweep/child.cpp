#include "sweep/child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

std::string FindEvolve() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path beside = self.parent_path() / "vexlora-evolve";
    if (access(beside.c_str(), X_OK) == 0) return beside.string();
  }
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end - start);
    const fs::path candidate = fs::path(dir.empty() ? "." : dir) / "vexlora-evolve";
    if (access(candidate.c_str(), X_OK) == 0 && fs::is_regular_file(candidate, ec)) return fs::absolute(candidate).string();
    if (end == std::string::npos) return "";
    start = end + 1;
  }
}

pid_t StartChild(const std::string& program, const std::vector<std::string>& args, const std::string& directory,
                 const std::string& errPath, std::string* why) {
  // Everything the child needs is made before fork: after it only
  // async-signal-safe calls are allowed.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  static const char kExecFailed[] = "vexlora-sweep: cannot start vexlora-evolve\n";

  const pid_t pid = fork();
  if (pid < 0) {
    *why = std::string("cannot start a run (") + std::strerror(errno) + ")";
    return -1;
  }
  if (pid == 0) {
    // Killed with the sweep; if the sweep is already gone, go at once.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open("/dev/null", O_WRONLY);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(directory.c_str()) != 0)
      _exit(127);
    // The run keeps its three standard descriptors only; one opened as 0, 1
    // or 2 (the sweep's own were closed) is one of them now.
    for (const int fd : {in, out, err})
      if (fd > 2) close(fd);
    execv(argv[0], argv.data());
    const ssize_t ignored = write(2, kExecFailed, sizeof kExecFailed - 1);
    (void)ignored;
    _exit(127);
  }
  return pid;
}
