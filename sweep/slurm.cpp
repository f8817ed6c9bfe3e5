#include "sweep/slurm.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "sweep/file_io.h"

namespace fs = std::filesystem;

namespace {

// A single-quoted shell word.
std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs sbatch with the arguments, its standard output caught; the exit
// status, or -1 when it could not run.
int RunSbatch(const std::vector<std::string>& args, std::string* out) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  std::vector<char*> argv;
  static char kSbatch[] = "sbatch";
  argv.push_back(kSbatch);
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    dup2(pipeFds[1], 1);
    close(pipeFds[0]);
    close(pipeFds[1]);
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

std::string ArrayRange(const std::vector<int>& tasks) {
  std::string text;
  for (std::size_t i = 0; i < tasks.size();) {
    std::size_t j = i;
    while (j + 1 < tasks.size() && tasks[j + 1] == tasks[j] + 1) ++j;
    if (!text.empty()) text += ",";
    text += std::to_string(tasks[i]);
    if (j > i) text += "-" + std::to_string(tasks[j]);
    i = j + 1;
  }
  return text;
}

bool WriteSbatch(const std::string& dir, const std::string& self, const std::vector<int>& tasks, std::string* why) {
  const std::string absolute = fs::absolute(dir).lexically_normal().string();
  std::error_code ec;
  fs::create_directories(fs::path(absolute) / "slurm", ec);
  const std::string script =
      "#!/bin/bash\n"
      "# The unfinished runs of this experiment, one array task and one CPU each.\n"
      "# vexlora-sweep slurm --submit submits it and then the summary, which waits\n"
      "# for the whole array:\n"
      "#   sbatch --dependency=afterany:<array job> --wrap \"" + self + " summarise " + absolute + "\"\n"
      "#SBATCH --job-name=vexlora-sweep\n"
      "#SBATCH --array=" + ArrayRange(tasks) + "\n"
      "#SBATCH --ntasks=1\n"
      "#SBATCH --cpus-per-task=1\n"
      "#SBATCH --output=" + absolute + "/slurm/%A_%a.out\n"
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
          "--cpus-per-task=1", "--output=" + absolute + "/slurm/summarise_%j.out"};
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
