#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands where.
# Usage: install_test.sh BUILD_DIR
set -uo pipefail
BUILD=$1
PREFIX=$(mktemp -d)
LOG=$(mktemp)
WORK=$(mktemp -d)
trap 'rm -rf "$PREFIX" "$LOG" "$WORK"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The prefix is fixed when the build is configured: install into a staging
# root under it, as a package build does.
STAGE=$(mktemp -d)
trap 'rm -rf "$PREFIX" "$LOG" "$WORK" "$STAGE"' EXIT
CONFIGURED=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$BUILD/CMakeCache.txt")
DESTDIR="$STAGE" timeout 50 cmake --install "$BUILD" > "$LOG" 2>&1 || { cat "$LOG" >&2; fail "cmake --install failed"; }
rm -rf "$PREFIX" && ln -s "$STAGE$CONFIGURED" "$PREFIX"

for f in bin/vexlora bin/vexlora-evolve bin/vexlora-inspect bin/vexlora-desktop; do
  [ -x "$PREFIX/$f" ] || fail "$f is not installed as a program"
done
for f in share/vexlora/params.ini share/applications/vexlora.desktop \
  share/icons/hicolor/32x32/apps/vexlora.png share/icons/hicolor/64x64/apps/vexlora.png \
  share/icons/hicolor/128x128/apps/vexlora.png; do
  [ -s "$PREFIX/$f" ] || fail "$f is not installed"
done
cmp -s "$PREFIX/share/vexlora/params.ini" "$(dirname "$0")/../../params.ini" || fail "the installed params.ini is not the default"

# The desktop entry names the installed program and icon.
grep -qx 'Exec=vexlora-desktop' "$PREFIX/share/applications/vexlora.desktop" || fail "the desktop entry does not run the launcher"
grep -q "^exec \"$CONFIGURED/bin/vexlora\"" "$PREFIX/bin/vexlora-desktop" || fail "the launcher does not run the installed vexlora"
grep -qx 'Icon=vexlora' "$PREFIX/share/applications/vexlora.desktop" || fail "the desktop entry does not name the icon"

# The installed window program runs: without a display it says so at once
# and names the headless runner.
cp "$PREFIX/share/vexlora/params.ini" "$WORK/"
out=$(cd "$WORK" && timeout 10 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$PREFIX/bin/vexlora" 2>&1)
status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "the installed vexlora ended with status $status without a display"
grep -q vexlora-evolve <<< "$out" || fail "the installed vexlora said: $out"

# The launcher makes the user's folder with the default params.ini, then
# starts vexlora there (which, without a display, says so).
sed "s|\"$CONFIGURED/|\"$PREFIX/|g" "$PREFIX/bin/vexlora-desktop" > "$WORK/launcher"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER XDG_DATA_HOME="$WORK/data" timeout 10 sh "$WORK/launcher" 2>&1)
cmp -s "$WORK/data/vexlora/params.ini" "$PREFIX/share/vexlora/params.ini" || fail "the launcher did not put params.ini in the user's folder"
grep -q vexlora-evolve <<< "$out" || fail "the launcher's vexlora said: $out"
echo "PASS"
