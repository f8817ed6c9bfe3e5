#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Reading and writing whole files: the experiment's, the pictures and their
// numbers, files of genomes. A file written here survives a crash or a lost
// machine once the call has returned: its bytes are synced before it takes
// its name, and its directory after.

// The whole of a regular file; a pipe or device of that name is refused
// without waiting on it. False with the reason alone ("No such file or
// directory", "is a directory", ...).
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* why);

// Writes the bytes under PATH.tmp, syncs them, renames the file over PATH and
// syncs PATH's directory, so PATH is only ever absent, its old self or the
// whole new file. Whatever holds the temporary name is removed first, never
// written through. False with why, naming PATH, and no temporary left.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* why);

// The same for a file written piece by piece: write puts the text on the
// stream and gives false when it cannot go on.
bool WriteFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write, std::string* why);

// Gives a file that is complete (written by another program) its name: the
// file is synced, renamed and its directory synced. False with why.
bool RenameDurably(const std::string& from, const std::string& to, std::string* why);

// Copies a file and syncs the copy and its directory. False with why.
bool CopyFileDurably(const std::string& from, const std::string& to, std::string* why);

// Syncs a directory, so that the names made in it last. False with why.
bool SyncDirectory(const std::string& path, std::string* why);
