#!/usr/bin/env bash
# Installs what is missing, builds, and runs the window program on the
# project's default params.ini (from the repository root).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j "$(nproc)"
if [ ! -x build/app/vexlora ]; then
  echo "The window program is not built yet; the simulation core and its tests are." >&2
  exit 1
fi
exec build/app/vexlora "$@"
