#!/usr/bin/env bash
# The options a manual page lists are the options its program's --help lists,
# and the page reads without warnings. A program without --help (the window
# program) prints no option list, so its page must list none.
# Usage: manual_options_test.sh PAGE PROGRAM VERSION
set -euo pipefail
page=$1 program=$2 version=$3
name=$(basename "$program")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The page as a user reads it.
if ! LC_ALL=C.UTF-8 MANWIDTH=200 man --warnings -l "$page" > "$scratch/page" 2> "$scratch/warnings"; then
  echo "man cannot show $page:"; cat "$scratch/warnings"; exit 1
fi
if [ -s "$scratch/warnings" ]; then
  echo "man warns about $page:"; cat "$scratch/warnings"; exit 1
fi
grep -q "^OPTIONS$" "$scratch/page" || { echo "$page has no OPTIONS section"; exit 1; }

# Option lines of the page's OPTIONS section start with a dash at the
# section's indent: "-h, --help", "--seed S".
awk '/^OPTIONS$/ {on = 1; next} /^[A-Z]/ {on = 0} on && /^       -/' "$scratch/page" |
  { grep -o -- '--\?[A-Za-z][A-Za-z0-9-]*' || true; } | sort -u > "$scratch/manual"

# Option lines of --help start with a dash too: "-h,--help", "--seed UINT".
# Run in an empty folder without a display, so that a program that ignores
# --help stops at once instead of opening a window.
status=0
(cd "$scratch" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 30 "$program" --help \
   < /dev/null > help 2> help-errors) || status=$?
# A program with subcommands lists each one's options under its own --help.
for sub in $(awk '/^Subcommands:$/ {on = 1; next} /^[^ ]/ {on = 0} on && NF {print $1}' "$scratch/help"); do
  (cd "$scratch" && timeout 30 "$program" "$sub" --help < /dev/null >> help 2>> help-errors) || status=$?
done
{ grep -E '^ *-' "$scratch/help" || true; } | awk '{print $1}' | tr ',' '\n' | sort -u > "$scratch/helped"

if [ -s "$scratch/manual" ] && [ "$status" -ne 0 ]; then
  echo "$page lists options, but $name --help failed with status $status:"; cat "$scratch/help-errors"; exit 1
fi
if ! diff -u --label "options of $page" --label "options of $name --help" "$scratch/manual" "$scratch/helped"; then
  exit 1
fi
echo "$name: $(wc -l < "$scratch/manual") options, the same in the manual and --help"

# A program whose page lists --version prints "<program> <version>".
if grep -qx -- '--version' "$scratch/manual"; then
  got=$(cd "$scratch" && "$program" --version)
  [ "$got" = "$name $version" ] || { echo "$name --version printed '$got', not '$name $version'"; exit 1; }
  echo "$name --version: $got"
fi
