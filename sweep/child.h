#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// vexlora-evolve beside this program, else on PATH; empty when neither.
std::string FindEvolve();

// Starts a program in a directory with standard input from /dev/null,
// standard output discarded and standard error to errPath, and no other
// descriptor of the sweep's (those it keeps open are close-on-exec). The child gets
// SIGKILL when the sweep dies, even by SIGKILL, and starts with no signal
// blocked. The pid, or -1 with why.
pid_t StartChild(const std::string& program, const std::vector<std::string>& args, const std::string& directory,
                 const std::string& errPath, std::string* why);
