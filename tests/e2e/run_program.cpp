#include "tests/e2e/run_program.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/temp_dir.h"

std::string Quote(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

ProgramResult RunProgram(const std::string& directory, const std::string& commandLine) {
  TempDir capture;
  const std::string out = capture.File("out"), err = capture.File("err");
  const std::string shell = "cd " + Quote(directory) + " && timeout 120 " + commandLine + " > " + Quote(out) +
                            " 2> " + Quote(err) + " < /dev/null";
  const int raw = std::system(shell.c_str());
  ProgramResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = ReadFile(out);
  r.err = ReadFile(err);
  return r;
}
