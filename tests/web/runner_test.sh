#!/usr/bin/env bash
# vexlora-evolve in WebAssembly under node against the desktop build, run for
# run: the same CSV, AllWeights.bin, Dbg.Log (but its clock lines) and
# --picture pixels, for several seeds and two parameter files.
#
#   runner_test.sh NATIVE_EVOLVE WEB_EVOLVE SOURCE_DIR
set -euo pipefail
native=$1
web=$2
src=$3

# Seeds 4242, 5 and 14 part at a knife-edge result of exp, sin, cos or atan2
# when each build takes its platform's functions (musl's in WebAssembly,
# glibc's here): with the simulation's own correctly rounded ones, every
# seed is alike.

command -v node > /dev/null || { echo "node not found"; exit 1; }
command -v convert > /dev/null || { echo "ImageMagick's convert not found (scripts/install-deps.sh)"; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A parameter file unlike the default in every way a run depends on: network
# shape, counts, rates, and generations short enough that weights are saved.
sed -e 's/^HiddenLayerCount .*/HiddenLayerCount 2/' -e 's/^HiddenLayerSize .*/HiddenLayerSize 4/' \
    -e 's/^MaxTurnPerTick .*/MaxTurnPerTick 0.2/' -e 's/^FungusCount .*/FungusCount 25/' \
    -e 's/^CritterCount .*/CritterCount 20/' -e 's/^TicksPerGeneration .*/TicksPerGeneration 20/' \
    -e 's/^MutationRate .*/MutationRate 0.2/' -e 's/^EliteCount .*/EliteCount 2/' \
    "$src/params.ini" > "$scratch/other.ini"
cmp -s "$src/params.ini" "$scratch/other.ini" && { echo "other.ini is the default"; exit 1; }

failures=0
# run NAME PARAMS SEED GENERATIONS: both runners in empty folders of their own.
run() {
  local name=$1 params=$2 seed=$3 generations=$4 build
  for build in native web; do
    mkdir -p "$scratch/$name/$build"
    cp "$params" "$scratch/$name/$build/params.ini"
    local program=$native
    [ "$build" = web ] && program=$web
    (cd "$scratch/$name/$build" &&
       "$program" --quiet --seed "$seed" --generations "$generations" --picture panel.png > run.csv 2> err.txt) ||
      { echo "FAIL $name: the $build runner failed: $(cat "$scratch/$name/$build/err.txt")"; return 1; }
  done
}

# differences NAME: what differs between the two runs, one word each.
differences() {
  local a=$scratch/$1/native b=$scratch/$1/web found=()
  cmp -s "$a/run.csv" "$b/run.csv" || found+=(CSV)
  cmp -s "$a/err.txt" "$b/err.txt" || found+=(stderr)
  if [ -e "$a/AllWeights.bin" ] || [ -e "$b/AllWeights.bin" ]; then
    cmp -s "$a/AllWeights.bin" "$b/AllWeights.bin" || found+=(AllWeights.bin)
  fi
  cmp -s <(grep -v '^Date: ' "$a/Dbg.Log") <(grep -v '^Date: ' "$b/Dbg.Log") || found+=(Dbg.Log)
  cmp -s <(convert "$a/panel.png" -depth 8 rgb:-) <(convert "$b/panel.png" -depth 8 rgb:-) || found+=(picture)
  echo "${found[*]}"
}

check() {  # check NAME PARAMS-NAME PARAMS SEED GENERATIONS
  local name=$1 label="$2 $4"
  run "$name" "$3" "$4" "$5" || { failures=$((failures + 1)); return; }
  local differ saves
  differ=$(differences "$name")
  saves=$(tail -n 1 "$scratch/$name/native/run.csv" | cut -d, -f12)
  if [ -n "$differ" ]; then
    echo "FAIL $label, $5 generations: $differ differ"
    failures=$((failures + 1))
  else
    echo "ok   $label, $5 generations: CSV, AllWeights.bin ($saves saves), Dbg.Log and picture alike"
  fi
}

# The golden result, byte for byte.
mkdir -p "$scratch/golden" && cp "$src/params.ini" "$scratch/golden/"
if (cd "$scratch/golden" && "$web" --quiet --seed 1 --generations 20 2> /dev/null) | cmp -s - "$src/tests/golden/default-seed1-20.csv"; then
  echo "ok   the golden CSV"
else
  echo "FAIL the golden CSV"
  failures=$((failures + 1))
fi

check default-1 default "$src/params.ini" 1 60
check default-2 default "$src/params.ini" 2 40
check default-4242 default "$src/params.ini" 4242 20
check default-5 default "$src/params.ini" 5 30
check default-14 default "$src/params.ini" 14 30
check other-1 other "$scratch/other.ini" 1 200
check other-7 other "$scratch/other.ini" 7 200

# Both saved weights in the runs that should have: the check compared them.
for name in default-1 default-2 other-1 other-7; do
  [ -e "$scratch/$name/native/AllWeights.bin" ] || { echo "FAIL $name saved no weights"; failures=$((failures + 1)); }
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
