#pragma once

#include <string>

// A fresh directory of this fuzzing process for the files a target writes,
// removed when the fuzzer ends normally. Made once; later calls give the
// same path. Prefers TMPDIR, then /dev/shm (saves there never wait on a
// disk), then /tmp.
const std::string& PrivateRunDirectory();

// For LLVMFuzzerInitialize of a target that changes directory: makes the
// fuzzer's path arguments (inputs, corpus directories, artifact and
// dictionary paths) absolute, and names the starting directory as the
// artifact prefix when none is given, so crash files still land where the
// fuzzer was started and reproducing with a relative path still works.
void AbsolutePathArguments(int* argc, char*** argv);
