// vexlora-evolve under node: whether a standard stream is a terminal, asked
// of node itself. Emscripten's own answer is yes for every stream, which
// would draw the progress bar into a pipe or a file.
#include <emscripten/emscripten.h>
#include <unistd.h>

// clang-format off
EM_JS(int, NodeIsTerminal, (int fd), { return require('tty').isatty(fd) ? 1 : 0; });
// clang-format on

extern "C" int isatty(int fd) { return NodeIsTerminal(fd); }
