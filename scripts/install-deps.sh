#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Does nothing when they are all there already.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  libsdl2-dev libsdl2-ttf-dev libsdl2-image-dev fonts-dejavu-core
  libgtest-dev libbenchmark-dev libcli11-dev libgif-dev libmpfr-dev
  xvfb xauth xfonts-base xdotool imagemagick x11-utils desktop-file-utils
  clang-14 libclang-rt-14-dev
  scdoc man-db dpkg-dev fakeroot file lintian appstream
  libcairo2-dev libfreetype-dev fontconfig slurm-wlm munge parallel
  bsdutils strace
  emscripten node-acorn libstb-dev chromium python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# node and npm may come from Debian or from elsewhere (NodeSource's nodejs
# brings its own npm).
command -v node > /dev/null || missing+=(nodejs)
command -v npm > /dev/null || missing+=(npm)

if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The web page's tests drive chromium with puppeteer-core, from npm, at the
# versions tests/web/package-lock.json pins, into tests/web/node_modules.
web_tests=$(cd "$(dirname "$0")/../tests/web" && pwd)
if ! cmp -s "$web_tests/package-lock.json" "$web_tests/node_modules/.vexlora-package-lock.json"; then
  echo "Installing the web tests' npm packages (npm ci in tests/web)"
  (cd "$web_tests" && npm ci --no-audit --no-fund --loglevel=error)
  cp "$web_tests/package-lock.json" "$web_tests/node_modules/.vexlora-package-lock.json"
fi
