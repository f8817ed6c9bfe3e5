#!/usr/bin/env bash
# The committed tables of math/ are what tools/math_tables_main.cpp writes.
#
#   tables_current_test.sh VEXLORA_MATH_TABLES SOURCE_DIR
set -euo pipefail
tool=$1 src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$work"
status=0
for f in exp_tables.inc sin_cos_tables.inc atan2_tables.inc; do
  if ! cmp -s "$work/$f" "$src/math/$f"; then
    echo "math/$f differs from what vexlora-math-tables writes (cmake --build BUILD --target math-tables)"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "the tables are current"
exit "$status"
