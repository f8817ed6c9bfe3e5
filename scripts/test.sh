#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, and
# runs every test: all of them under the address and undefined-behaviour
# sanitizers, the fuzz targets for a bounded time, then everything at -O2,
# with the headless runner's golden result also checked at -O0.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh
root=$(pwd)

# The headless runner alone at -O0: its golden result must not depend on
# the optimisation level.
cmake -S . -B build-o0 -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g" \
  -DVEXLORA_WERROR=ON -DVEXLORA_BENCH=OFF -DVEXLORA_WINDOW=OFF > /dev/null
cmake --build build-o0 --target vexlora-evolve -j "$jobs"

# Every test under the address and undefined-behaviour sanitizers; any
# report fails its test.
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DVEXLORA_SANITIZE=ON \
  -DVEXLORA_WERROR=ON -DVEXLORA_BENCH=OFF -DVEXLORA_WINDOW=ON > /dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs" > ctest.log 2>&1) || { cat build-asan/ctest.log; exit 1; }
grep -E "tests passed" build-asan/ctest.log

# The fuzz targets, about a minute each.
scripts/fuzz.sh

# The main build (-O2) with every test, benchmark and both programs.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXLORA_WERROR=ON -DVEXLORA_WINDOW=ON -DVEXLORA_BENCH=ON \
  -DVEXLORA_O0_EVOLVE="$root/build-o0/tools/vexlora-evolve" > /dev/null
cmake --build build -j "$jobs"

cd build
ctest --output-on-failure -j "$jobs"
