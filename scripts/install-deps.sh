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
  libcairo2-dev slurm-wlm munge parallel
  bsdutils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
