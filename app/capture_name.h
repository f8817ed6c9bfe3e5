#pragma once

#include <ctime>
#include <string>

// A file name for the window's S and R in the current directory:
// vexlora-YYYYMMDD-HHMMSS.<extension> in local time, with -2, -3, ... added
// when a file of that name is there already.
std::string CaptureName(std::time_t when, const std::string& extension);
