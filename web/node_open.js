// vexlora-evolve under node: files are opened with the flags the program
// asks for. Emscripten drops O_NONBLOCK on the way to node, and a pipe named
// params.ini or AllWeights.bin would then hold up start-up until something
// wrote to it; the program opens them without waiting and refuses anything
// that is not a regular file. Put in place before main() runs.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  var withoutNonblock = NODEFS.flagsForNode;
  var O_NONBLOCK = 2048;  // musl's, for WebAssembly
  NODEFS.flagsForNode = function (flags) {
    var mapped = withoutNonblock(flags);
    return flags & O_NONBLOCK ? mapped | require('fs').constants.O_NONBLOCK : mapped;
  };
});
