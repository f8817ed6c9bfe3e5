#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, and
# runs every test: all of them under the address and undefined-behaviour
# sanitizers, the fuzz targets for a bounded time, then everything at -O2,
# with the headless runner's golden result also checked at -O0.
#
#   scripts/test.sh            the whole run, as CI runs it
#   scripts/test.sh --quick    while developing: the -O2 build (and the web
#                              build) and every test but the sanitizer build,
#                              the fuzzing and the crash, long and package labels
#
# Its builds live in build-test* directories of their own, so its settings
# (warnings as errors, sanitizers) never reach scripts/run.sh's or
# scripts/bench.sh's builds.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
quick=0
case "${1:-}" in
  "") ;;
  --quick) quick=1 ;;
  *) echo "usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
root=$(pwd)

if [ "$quick" -eq 0 ]; then
  # Every test under the address and undefined-behaviour sanitizers; any
  # report fails its test.
  export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1
  export LSAN_OPTIONS=suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  cmake -S . -B build-test-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DVEXLORA_SANITIZE=ON \
    -DVEXLORA_WERROR=ON -DVEXLORA_BENCH=OFF -DVEXLORA_WINDOW=ON > /dev/null
  cmake --build build-test-asan -j "$jobs"
  (cd build-test-asan && ctest --output-on-failure -j "$jobs" > ctest.log 2>&1) ||
    { cat build-test-asan/ctest.log; exit 1; }
  grep -E "tests passed" build-test-asan/ctest.log
  unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS

  # The fuzz targets, about a minute each.
  scripts/fuzz.sh
fi

# The web edition (em++), in its own build: its tests run with the -O2
# build's below (label web): vexlora-evolve under node, the page in chromium.
VEXLORA_WEB_BUILD_DIR=build-test-web VEXLORA_WERROR=ON scripts/web.sh --build

# The main build (-O2) with every test, benchmark and both programs; it also
# builds the headless runner at -O0 from the same sources for the golden check.
# Installing to /usr, it makes the Debian package, which the package test
# builds, installs, runs and purges.
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXLORA_WERROR=ON -DVEXLORA_WINDOW=ON \
  -DVEXLORA_BENCH=ON -DVEXLORA_GOLDEN_O0=ON -DCMAKE_INSTALL_PREFIX=/usr -DVEXLORA_WEB_BUILD="$root/build-test-web" \
  > /dev/null
cmake --build build-test -j "$jobs"

cd build-test
if [ "$quick" -eq 1 ]; then
  ctest --output-on-failure -j "$jobs" -LE "crash|long|package"
else
  ctest --output-on-failure -j "$jobs"
fi
