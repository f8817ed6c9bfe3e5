#!/usr/bin/env bash
# The cairo pictures do not depend on the fonts of the machine: drawn with a
# fontconfig that knows no font at all, the sweep's summary, the history of
# a run and a genome file's picture are byte for byte those drawn with the
# machine's own fonts.
# Usage: machine_fonts_test.sh SWEEP EVOLVE INSPECT PARAMS
set -euo pipefail
sweep=$1 evolve=$2 inspect=$3 params=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

echo '<?xml version="1.0"?><fontconfig></fontconfig>' > "$scratch/empty.conf"
no_fonts() { FONTCONFIG_FILE="$scratch/empty.conf" FONTCONFIG_PATH="$scratch" "$@"; }
if ! command -v fc-list > /dev/null; then
  [ "${CI:-}" = "true" ] && fail "fc-list is missing (scripts/install-deps.sh installs fontconfig)"
else
  [ "$(no_fonts fc-list | wc -l)" = 0 ] || fail "the empty fontconfig still lists fonts"
  [ "$(fc-list | wc -l)" -gt 0 ] || echo "note: this machine has no fonts of its own"
fi

cd "$scratch"
cp "$params" params.ini
"$sweep" run exp --seeds 1-2 --set MutationRate=0.1,0.2 --generations 3 --jobs 2 --quiet > /dev/null
cp -r exp bare
no_fonts "$sweep" summarise bare > /dev/null
for f in summary.png summary.svg; do
  cmp "exp/$f" "bare/$f" || fail "$f drawn without the machine's fonts differs"
done

mkdir mine none
for d in mine none; do cp params.ini "$d/"; done
(cd mine && "$evolve" --quiet --seed 1 --generations 3 --behaviour b.svg --best-genomes best.bin > /dev/null 2>&1 &&
   "$inspect" best.bin --genome 2 -o i.png)
(cd none && no_fonts "$evolve" --quiet --seed 1 --generations 3 --behaviour b.svg --best-genomes best.bin > /dev/null 2>&1 &&
   no_fonts "$inspect" best.bin --genome 2 -o i.png)
for f in b.svg b.csv i.png; do
  cmp "mine/$f" "none/$f" || fail "$f drawn without the machine's fonts differs"
done
echo "the summary, the run's history and the genome picture are the same without the machine's fonts"
