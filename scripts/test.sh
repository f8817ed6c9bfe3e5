#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, and
# runs every test. The headless runner is also built at -O0 so that the
# golden result is checked at both optimisation levels.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh

# The main build (-O2) with every test, benchmark and both programs.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXLORA_WERROR=ON > /dev/null
cmake --build build -j "$jobs"

cd build
ctest --output-on-failure -j "$jobs"
