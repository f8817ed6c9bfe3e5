#include "sweep/slurm.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "common/file_io.h"
#include "sweep/plan.h"

namespace fs = std::filesystem;

namespace {

// A single-quoted shell word.
std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A path in Slurm's file name patterns (--output), where % starts a field.
std::string OutputPattern(const std::string& path) {
  std::string pattern;
  for (const char c : path) pattern += c == '%' ? std::string("%%") : std::string(1, c);
  return pattern;
}

// A word of an #SBATCH line, which sbatch splits at blanks outside quotes and
// ends at an unquoted #: double-quoted, with \ before " and \.
std::string DirectiveWord(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// Runs sbatch with the arguments, its standard output caught; the exit
// status, or -1 when it could not run.
int RunSbatch(const std::vector<std::string>& args, std::string* out) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
  std::vector<char*> argv;
  static char kSbatch[] = "sbatch";
  argv.push_back(kSbatch);
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return -1;
  }
  if (pid == 0) {
    // Both ends close at exec (a pipe end made as 1 stays: dup2 onto itself
    // keeps its close-on-exec flag, so it is set anew).
    if (dup2(pipeFds[1], 1) < 0 || fcntl(1, F_SETFD, 0) != 0) _exit(127);
    execvp("sbatch", argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  out->clear();
  char chunk[4096];
  for (ssize_t n; (n = read(pipeFds[0], chunk, sizeof chunk)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    out->append(chunk, static_cast<std::size_t>(n));
  }
  close(pipeFds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The job id of `sbatch --parsable` ("123" or "123;cluster").
std::string JobId(const std::string& out) {
  const std::size_t end = out.find_first_of(";\n");
  return out.substr(0, end);
}

}  // namespace

bool WriteSbatch(const std::string& dir, const std::string& self, const std::vector<int>& tasks, std::string* why) {
  const std::string absolute = fs::absolute(dir).lexically_normal().string();
  std::error_code ec;
  fs::create_directories(fs::path(absolute) / "slurm", ec);
  const std::string script =
      "#!/bin/bash\n"
      "# The unfinished runs of this experiment, one array task and one CPU each.\n"
      "# vexlora-sweep slurm --submit submits it and then the summary, which waits\n"
      "# for the whole array:\n"
      "#   sbatch --dependency=afterany:<array job> --wrap \"exec " + Quote(self) + " summarise " +
      Quote(absolute) + "\"\n"
      "#SBATCH --job-name=vexlora-sweep\n"
      "#SBATCH --array=" + FormatRanges({tasks.begin(), tasks.end()}) + "\n"
      "#SBATCH --ntasks=1\n"
      "#SBATCH --cpus-per-task=1\n"
      "#SBATCH --output=" + DirectiveWord(OutputPattern(absolute) + "/slurm/%A_%a.out") + "\n"
      "exec " + Quote(self) + " task " + Quote(absolute) + " \"$SLURM_ARRAY_TASK_ID\"\n";
  return WriteFileAtomically((fs::path(absolute) / "sweep.sbatch").string(), script, why);
}

bool SubmitSbatch(const std::string& dir, const std::string& self, const std::vector<std::string>& extra,
                  std::string* arrayJob, std::string* summaryJob, std::string* why) {
  const std::string absolute = fs::absolute(dir).lexically_normal().string();
  std::vector<std::string> args = {"--parsable"};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back(absolute + "/sweep.sbatch");
  std::string out;
  int status = RunSbatch(args, &out);
  if (status != 0 || JobId(out).empty()) {
    *why = status == 127 || status < 0 ? "cannot run sbatch" : "sbatch refused " + absolute + "/sweep.sbatch";
    return false;
  }
  *arrayJob = JobId(out);
  args = {"--parsable", "--dependency=afterany:" + *arrayJob, "--job-name=vexlora-summarise", "--ntasks=1",
          "--cpus-per-task=1", "--output=" + OutputPattern(absolute) + "/slurm/summarise_%j.out"};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back("--wrap=exec " + Quote(self) + " summarise " + Quote(absolute));
  status = RunSbatch(args, &out);
  if (status != 0 || JobId(out).empty()) {
    *why = "sbatch refused the summary job after array job " + *arrayJob;
    return false;
  }
  *summaryJob = JobId(out);
  return true;
}
