#!/usr/bin/env bash
# The folders' layers, bottom first: a folder may include and link only its
# own layer's folder and the layers below it. A folder missing from the list
# fails, so every new folder takes its place here.
#
#   layers_test.sh SOURCE_DIR
set -euo pipefail
src=$1

# layer number of each folder; folders on one layer may not use each other.
declare -A layer=(
  [math]=0 [common]=0 [params]=1 [geometry]=2 [log]=3 [critter]=4 [genetics]=5 [world]=6 [startup]=7  # the core
  [font]=8 [render]=9 [chart]=9 [movie]=10                                                # drawing
  [sweep]=10 [behaviour]=10                                                               # experiments, pictures
  [app]=11 [tools]=11 [web]=11                                                            # the programs
  [support]=12                                                                            # test helpers
  [tests]=13 [bench]=13
)
# Folders that use the standard library alone, or with it only the
# correctly rounded functions of math/: the test helpers, and the shapes and
# transforms, which read no parameter.
declare -A alone=([support]=1 [geometry]=1 [math]=1)
core_top=7

failures=0
fail() { echo "$1"; failures=$((failures + 1)); }

allowed() {  # allowed FROM TO
  local from=$1 to=$2
  [ "$from" = "$to" ] && return 0
  [ -n "${alone[$from]:-}" ] && { [ "$to" = math ] && [ "$from" != math ] || return 1; }
  [ -z "${layer[$to]:-}" ] && return 1
  [ "${layer[$to]}" -lt "${layer[$from]}" ] || return 1
  # the core never reaches the test helpers
  [ "${layer[$from]}" -le "$core_top" ] && [ "${layer[$to]}" -gt "$core_top" ] && return 1
  return 0
}

cd "$src"
folders=$(git ls-files 2>/dev/null | grep -E '\.(h|cpp)$' | cut -d/ -f1 | sort -u || true)
[ -n "$folders" ] || folders=$(find . -name '*.h' -o -name '*.cpp' | cut -d/ -f2 | sort -u)
for folder in $folders; do
  [ -d "$folder" ] || continue
  if [ -z "${layer[$folder]:-}" ]; then
    fail "$folder/ has no layer: add it to tests/layers/layers_test.sh"
    continue
  fi
  # Includes: "folder/file.h" names the folder it comes from.
  while IFS=: read -r file line text; do
    to=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$text")
    [ "$to" = "$text" ] && continue  # a file of the same folder, no path
    allowed "$folder" "$to" || fail "$file:$line: $folder/ may not include $to/ ($text)"
  done < <(grep -rnE '^\s*#\s*include "' --include='*.h' --include='*.cpp' "$folder" || true)
done

# Links: every vexlora_* library a folder's CMakeLists.txt links, by the
# folder that defines it.
declare -A owner
while IFS=: read -r file text; do
  name=$(sed -E 's/.*add_library\((vexlora_[A-Za-z0-9_]+).*/\1/' <<<"$text")
  owner[$name]=$(cut -d/ -f1 <<<"$file")
done < <(grep -rE 'add_library\(vexlora_' --include=CMakeLists.txt . | sed 's|^\./||')
for folder in "${!layer[@]}"; do
  [ -f "$folder/CMakeLists.txt" ] || continue
  for lib in $(grep -A3 'target_link_libraries' "$folder/CMakeLists.txt" | grep -oE 'vexlora_[A-Za-z0-9_]+' | sort -u); do
    to=${owner[$lib]:-}
    [ -n "$to" ] || continue
    allowed "$folder" "$to" || fail "$folder/CMakeLists.txt: $folder/ may not link $lib of $to/"
  done
done

if [ "$failures" -ne 0 ]; then
  echo "$failures layer violations"
  exit 1
fi
echo "layers: every include and link points down"
