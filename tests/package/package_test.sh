#!/usr/bin/env bash
# The Debian package for real: builds it with cpack in this build folder,
# runs lintian, installs it with apt-get, runs the installed programs from
# the installed files only, and purges it again, leaving nothing behind.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 source=$2 version=$3

cannot_run() {
  echo "$1"
  # CI must run it; elsewhere the test is skipped, saying why.
  if [ "${CI:-}" = "true" ]; then exit 1; fi
  exit 77
}
if [ "$(id -u)" -ne 0 ]; then
  cannot_run "The package test installs and purges the vexlora package with apt-get and needs root; this is $(id -un), so it does not run."
fi
for tool in cpack lintian dpkg-shlibdeps apt-get man desktop-file-validate appstreamcli; do
  command -v "$tool" > /dev/null || cannot_run "The package test needs $tool (scripts/install-deps.sh)."
done
if ! grep -q '^CMAKE_INSTALL_PREFIX:PATH=/usr$' "$build/CMakeCache.txt"; then
  cannot_run "The package is built from a build folder configured with -DCMAKE_INSTALL_PREFIX=/usr; $build is not."
fi

fail() { echo "FAIL: $*"; exit 1; }
if grep -rqs '^path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg.d/; then
  fail "dpkg on this machine is set to leave out manual pages (path-exclude in /etc/dpkg/dpkg.cfg.d/), so man cannot find them"
fi
scratch=$(mktemp -d)
installed=0
cleanup() {
  if [ "$installed" = 1 ]; then apt-get purge -y -qq vexlora > /dev/null 2>&1 || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# Build.
deb=vexlora_${version}_$(dpkg --print-architecture).deb
rm -f "$build/$deb"
(cd "$build" && cpack -G DEB > "$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack failed"; }
[ -f "$build/$deb" ] || fail "cpack wrote no $deb: $(ls "$build"/*.deb 2>/dev/null)"
echo "== $deb, $(stat -c %s "$build/$deb") bytes"
dpkg-deb -f "$build/$deb" Package Version Architecture Section Maintainer Installed-Size Depends
depends=$(dpkg-deb -f "$build/$deb" Depends)
# Found by dpkg-shlibdeps from the programs' own libraries, not listed by hand.
for lib in libc6 libstdc++6 libsdl2-2.0-0 libsdl2-image-2.0-0 libcairo2 libfreetype6; do
  [[ "$depends" == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done

# lintian: no errors; what it says is shown.
echo "== lintian"
status=0
lintian --fail-on error "$build/$deb" > "$scratch/lintian.log" 2>&1 || status=$?
grep -v "running with root privileges" "$scratch/lintian.log" || echo "(no tags)"
[ "$status" = 0 ] || fail "lintian reports errors (status $status)"

# Install (a vexlora package left by an earlier run goes first, or apt would keep it).
if dpkg-query -W -f='${Status}' vexlora 2>/dev/null | grep -q "ok installed"; then
  echo "== removing the vexlora package already installed"
  apt-get purge -y -qq vexlora > /dev/null
fi
echo "== apt-get install ./$deb"
installed=1
(cd "$build" && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" > "$scratch/apt.log" 2>&1) ||
  { cat "$scratch/apt.log"; fail "apt-get install failed"; }
dpkg-query -L vexlora | while read -r path; do
  if [ -f "$path" ] || [ -L "$path" ]; then echo "$path"; fi
done > "$scratch/files"
echo "$(wc -l < "$scratch/files") files installed"

# The installed programs, found on PATH as a user finds them.
[ "$(command -v vexlora-evolve)" = /usr/bin/vexlora-evolve ] || fail "vexlora-evolve is not /usr/bin/vexlora-evolve on PATH"
got=$(vexlora-evolve --version)
[ "$got" = "vexlora-evolve $version" ] || fail "vexlora-evolve --version printed '$got'"
echo "vexlora-evolve --version: $got"

for scd in "$source"/doc/*.1.scd; do
  page=$(head -n 1 "$scd") page=${page%(1)}  # named by its title line
  where=$(man -w "$page") || fail "man -w $page finds nothing"
  [ "$where" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page gives $where"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings "$page" 2>&1 > /dev/null)
  [ -z "$warnings" ] || fail "man $page warns: $warnings"
  echo "man -w $page: $where"
done

# The golden run from the installed default parameters, in an empty folder.
mkdir "$scratch/run"
(cd "$scratch/run" && cp /usr/share/vexlora/params.ini . &&
   vexlora-evolve --seed 1 --generations 20 --quiet > run.csv 2> run.err) || { cat "$scratch/run/run.err"; fail "vexlora-evolve failed"; }
cmp "$scratch/run/run.csv" "$source/tests/golden/default-seed1-20.csv" ||
  fail "the installed vexlora-evolve differs from tests/golden/default-seed1-20.csv"
echo "vexlora-evolve --seed 1 --generations 20: the golden CSV"

# The pictures of what the networks learned, from the installed programs.
[ "$(vexlora-inspect --version)" = "vexlora-inspect $version" ] || fail "vexlora-inspect --version printed '$(vexlora-inspect --version)'"
(cd "$scratch/run" && vexlora-evolve --quiet --seed 1 --generations 3 --behaviour learned.png --best-genomes best.bin \
   > /dev/null 2> run.err && vexlora-inspect best.bin --genome 2 > inspect.out 2>&1) ||
  { cat "$scratch/run/run.err" "$scratch/run/inspect.out" 2>/dev/null; fail "the installed vexlora-evolve --behaviour or vexlora-inspect failed"; }
for f in learned.png learned.csv best.png; do
  [ -s "$scratch/run/$f" ] || fail "the installed programs wrote no $f"
done
echo "vexlora-evolve --behaviour and vexlora-inspect: pictures written"

# The menu's launcher sets up the user's folder from the installed default,
# then the window program says it has no display.
(export XDG_DATA_HOME="$scratch/data" && unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER &&
   cd "$scratch" && vexlora-desktop > launcher.out 2>&1) && fail "vexlora-desktop without a display exited 0"
cmp "$scratch/data/vexlora/params.ini" /usr/share/vexlora/params.ini || fail "vexlora-desktop did not copy the default params.ini"
grep -q "no display" "$scratch/launcher.out" || { cat "$scratch/launcher.out"; fail "vexlora did not say it has no display"; }
echo "vexlora-desktop: made its folder with the default params.ini; vexlora: $(cat "$scratch/launcher.out")"

desktop-file-validate /usr/share/applications/vexlora.desktop || fail "desktop-file-validate"
echo "desktop-file-validate: vexlora.desktop passes"
metainfo=$(grep -E '^/usr/share/metainfo/[^/]+\.metainfo\.xml$' "$scratch/files") || fail "no metainfo file in /usr/share/metainfo"
echo "appstreamcli validate --no-net $metainfo:"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
for size in 32 64 128; do
  grep -qx "/usr/share/icons/hicolor/${size}x$size/apps/vexlora.png" "$scratch/files" || fail "no ${size}x$size icon"
done
grep -qx /usr/share/doc/vexlora/copyright "$scratch/files" || fail "no copyright file"

# Purge: none of its files stays.
echo "== apt-get purge -y vexlora"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq vexlora > "$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "purge failed"; }
installed=0
left=0
while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then echo "left behind: $path"; left=1; fi
done < "$scratch/files"
for dir in /usr/share/vexlora /usr/share/doc/vexlora; do
  if [ -e "$dir" ]; then echo "left behind: $dir"; left=1; fi
done
[ "$left" = 0 ] || fail "files of the package are left after the purge"
! dpkg-query -W -f='${Status}' vexlora 2>/dev/null | grep -q "ok installed" || fail "vexlora still installed"
echo "purged: none of the $(wc -l < "$scratch/files") files is left"
