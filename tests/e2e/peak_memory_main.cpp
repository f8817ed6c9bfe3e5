// e2e_peak_memory REPORT PROGRAM ARGS...: runs PROGRAM and writes to REPORT
// "status signal child_maxrss_kib own_maxrss_kib".
//
// Linux counts a child's peak from the moment it is forked, when it still
// shares the parent's pages, so a child of the large test process would
// report at least the test's own size. Started from this small program, the
// child's ru_maxrss is the program's own peak.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: e2e_peak_memory REPORT PROGRAM ARGS...\n", stderr);
    return 2;
  }
  const pid_t pid = fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int raw = 0;
  rusage child{};
  pid_t got;
  do {
    got = wait4(pid, &raw, 0, &child);
  } while (got < 0 && errno == EINTR);
  if (got != pid) return 2;
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  std::FILE* report = std::fopen(argv[1], "w");
  if (!report) return 2;
  std::fprintf(report, "%d %d %ld %ld\n", WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, WIFSIGNALED(raw) ? WTERMSIG(raw) : 0,
               child.ru_maxrss, self.ru_maxrss);
  return std::fclose(report) == 0 ? 0 : 2;
}
