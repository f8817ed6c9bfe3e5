#!/usr/bin/env bash
# Vexlora as a static web page: installs what is missing, builds the site
# into build-web/site/ (index.html, vexlora.js and vexlora.wasm, nothing else)
# and vexlora-evolve for node into build-web/bin/, then serves the site on
# http://127.0.0.1:8000/ until Ctrl-C.
#
#   scripts/web.sh            build and serve
#   scripts/web.sh --build    build only
#
# VEXLORA_WEB_BUILD_DIR names another build folder (the tests use their own);
# VEXLORA_WERROR=ON makes warnings errors.
set -euo pipefail
cd "$(dirname "$0")/.."
serve=1
case "${1:-}" in
  "") ;;
  --build) serve=0 ;;
  *) echo "usage: scripts/web.sh [--build]" >&2; exit 2 ;;
esac
build=${VEXLORA_WEB_BUILD_DIR:-build-web}

scripts/install-deps.sh
# em++'s JavaScript optimizer needs acorn, which Debian keeps where node does
# not look by itself.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVEXLORA_WERROR="${VEXLORA_WERROR:-OFF}" > /dev/null
cmake --build "$build" -j "$(nproc)"
echo "The site, $(du -ch "$build"/site/* | tail -1 | cut -f1) in all: $build/site/"
ls -l "$build/site"
echo "vexlora-evolve under node: $build/bin/vexlora-evolve"

[ "$serve" = 1 ] || exit 0
echo "Serving $build/site on http://127.0.0.1:8000/ (Ctrl-C stops)"
exec python3 -m http.server 8000 --bind 127.0.0.1 --directory "$build/site"
