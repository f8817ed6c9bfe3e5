#pragma once

#include <string>

// Opens a file for reading only when it is a regular file. The open never
// waits, so a pipe of that name cannot hold up start-up; a directory, pipe
// or device is refused like a missing file. Gives the descriptor, or -1 with
// the reason in why when given ("No such file or directory", "is a
// directory", ...).
int OpenRegularFile(const std::string& path, std::string* why = nullptr);
