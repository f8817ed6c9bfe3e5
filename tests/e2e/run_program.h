#pragma once

#include <string>

// Runs a shell command line in a directory, with stdout and stderr caught.
struct ProgramResult {
  int status = -1;  // the exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

ProgramResult RunProgram(const std::string& directory, const std::string& commandLine);

// A single-quoted shell word.
std::string Quote(const std::string& text);
