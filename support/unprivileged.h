#pragma once

#include <functional>

// Runs body in a child process that cannot override file permissions: when
// the tests run as root, the child becomes the unprivileged user nobody, so
// an unreadable or read-only file really is one. Gives back what body
// returned, or -1 when the child did not exit normally. Whatever the child
// must reach has to be open to others (the test's TempDir is not).
int RunUnprivileged(const std::function<int()>& body);
