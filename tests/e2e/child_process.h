#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// How a child process ended, from wait4().
struct ChildEnd {
  int status = -1;       // the exit status, or -1 when it did not exit normally
  int signal = 0;        // the signal that ended it, or 0
  long maxRssKiB = 0;    // ru_maxrss of the child
};

// A program started directly (no shell) in a directory, its standard output
// and error sent to files, so a test can stop it at a moment of its choosing.
// A child still running when the object goes is killed and reaped.
class ChildProcess {
 public:
  // argv[0] is the program's path. Throws when fork fails; a failed exec
  // ends the child with status 127 and a line in the error file.
  ChildProcess(const std::string& directory, const std::vector<std::string>& argv, const std::string& outPath,
               const std::string& errPath);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // True until the child has ended (it is not reaped here).
  bool Running() const;
  void Kill();
  // Stops the child with SIGSTOP and waits until it has stopped; false when
  // it ended first.
  bool Stop();
  void Continue();
  // Waits for the end and reaps the child.
  ChildEnd Wait();

 private:
  // One wait4; true once the child has ended and been reaped.
  bool Reap(int options);

  pid_t pid_ = -1;
  bool reaped_ = false;
  ChildEnd end_;
};
