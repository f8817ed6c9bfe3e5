#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, and
# runs every test. The headless runner is also built at -O0 so that the
# golden result is checked at both optimisation levels.
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

# The main build (-O2) with every test, benchmark and both programs.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXLORA_WERROR=ON -DVEXLORA_WINDOW=ON -DVEXLORA_BENCH=ON \
  -DVEXLORA_O0_EVOLVE="$root/build-o0/tools/vexlora-evolve" > /dev/null
cmake --build build -j "$jobs"

cd build
ctest --output-on-failure -j "$jobs"
