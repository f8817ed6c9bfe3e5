#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Writes the bytes under PATH.tmp and renames that over PATH, so PATH is
// always absent, the old file or the whole new one. Whatever holds the
// temporary name is removed first, never written through. False with why
// ("PATH: cannot create PATH.tmp: Permission denied") on failure.
bool WriteWhole(const std::string& path, const std::string& bytes, std::string* why);

// The same for a file written piece by piece, such as a picture's numbers:
// write puts the text on the stream and gives false when it cannot go on.
bool WriteWholeStream(const std::string& path, const std::function<bool(std::FILE*)>& write, std::string* why);
