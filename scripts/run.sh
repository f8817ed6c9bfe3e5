#!/usr/bin/env bash
# Installs what is missing, builds, and runs the window program on the
# project's default params.ini (from the repository root). Its build lives in
# build/, apart from the test and benchmark scripts' builds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXLORA_WINDOW=ON -DVEXLORA_WERROR=OFF -DVEXLORA_SANITIZE=OFF \
  > /dev/null
cmake --build build -j "$(nproc)" --target vexlora vexlora-evolve
exec build/app/vexlora "$@"
