#!/usr/bin/env bash
# Measures vexlora-sweep against vexlora-evolve, built in BUILD (default
# build/), on the default params.ini:
#  - throughput: a sweep of 8 runs x 50 generations with --jobs = cores
#    against one vexlora-evolve run of 50 generations, in generations a
#    second (the target is 0.9 x cores or more);
#  - overhead a run: a sweep of 200 runs of a runner that does nothing but
#    write the CSV header, on one job (under 20 ms);
#  - summarising 1,000 finished runs of 200 generations (under 2 s).
#
#   scripts/bench-sweep.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(cd "${1:-build}" && pwd)
sweep="$build/tools/vexlora-sweep"
evolve="$build/tools/vexlora-evolve"
cores=$(nproc)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/params.ini" "$work/"
cd "$work"

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

echo "vexlora-sweep on $cores cores:"

# One vexlora-evolve, the sweep of 8 runs and the same 8 runs started by
# xargs as many at once (what the machine gives to that many processes now,
# whoever starts them), taken in turn three times; the best of each. The
# processor time a generation shows whether the sweep adds work: the wall
# ratio also depends on how many cores other work leaves free.
TIMEFORMAT='%R %U %S'
best() { awk -v a="$1" -v b="${2:-$1}" 'BEGIN { print (a < b ? a : b) }'; }
single=""; swept=""; plain=""
for round in 1 2 3; do
  mkdir -p "single$round" && cp params.ini "single$round/"
  t=$( { time (cd "single$round" && "$evolve" --quiet --seed 1 --generations 50 > /dev/null 2>&1); } 2>&1 )
  read -r e u s <<< "$t"; single=$(best "$e" "$single"); singleCpu=$(awk -v u="$u" -v s="$s" 'BEGIN { print u + s }')
  t=$( { time "$sweep" run "through$round" --seeds 1-8 --generations 50 --jobs "$cores" --quiet; } 2>&1 )
  read -r e u s <<< "$t"; swept=$(best "$e" "$swept"); sweptCpu=$(awk -v u="$u" -v s="$s" 'BEGIN { print u + s }')
  t=$( { time (seq 1 8 | xargs -P "$cores" -I{} sh -c 'mkdir -p "plain$1-{}" && cd "plain$1-{}" && \
    "$0" --quiet --seed {} --generations 50 --params ../params.ini --csv run.csv 2> /dev/null' "$evolve" "$round"); } 2>&1 )
  read -r e u s <<< "$t"; plain=$(best "$e" "$plain")
done
awk -v s="$single" -v w="$swept" -v p="$plain" -v c="$cores" -v sc="$singleCpu" -v wc="$sweptCpu" 'BEGIN {
  one = 50 / s; all = 400 / w
  printf "  throughput: one vexlora-evolve %.1f gen/s (%.2f s for 50), the sweep of 8 runs %.1f gen/s (%.2f s);\n", one, s, all, w
  printf "  ratio %.2f (target %.2f, 0.9 x %d cores); the same runs from xargs -P %d: ratio %.2f\n", all / one, 0.9 * c, c, c, 400 / p / one
  printf "  processor time a generation: %.1f ms in the sweep, %.1f ms in one vexlora-evolve\n", wc * 1000 / 400, sc * 1000 / 50 }'

# Overhead: the sweep's own work a run (directory, start, wait, rename, reading
# the CSV), measured with a runner beside a copy of vexlora-sweep that only
# writes the CSV header: the time a run is an upper bound of the overhead.
# Processor time counts the sweep and that runner; elapsed time also counts
# waiting for a core, which a busy machine makes long.
runs=200
mkdir stub && cp "$sweep" stub/
cat > stub/runner.cpp <<'STUB'
#include <cstdio>
int main(int argc, char** argv) {
  std::FILE* f = std::fopen(argv[argc - 1], "w");
  if (!f) return 1;
  std::fputs("generation,best_fitness,worst_fitness,average_fitness,best_index,worst_index,best_rolling,"
             "average_rolling,composite,best_composite,wins,saves\n", f);
  return std::fclose(f) != 0;
}
STUB
"${CXX:-g++}" -O2 -o stub/vexlora-evolve stub/runner.cpp
t=$( { time stub/vexlora-sweep run overhead --seeds 1-$runs --generations 0 --jobs 1 --quiet; } 2>&1 )
read -r elapsed user system <<< "$t"
awk -v e="$elapsed" -v u="$user" -v s="$system" -v n=$runs 'BEGIN {
  printf "  overhead a run: %.1f ms processor time, %.1f ms elapsed (%d runs of a runner that only writes the header, one job; target < 20 ms)\n",
    (u + s) * 1000 / n, e * 1000 / n, n }'

# Summarising: 1,000 finished runs of 200 generations, each a copy of one real run.
"$sweep" plan summary --seeds 1-1000 --generations 200
(cd single1 && "$evolve" --quiet --seed 1 --generations 200 --csv ../run200.csv 2> /dev/null)
for task in $(seq 0 999); do
  mkdir -p "summary/runs/$task" && cp run200.csv "summary/runs/$task/run.csv"
done
t0=$(now); "$sweep" summarise summary; t1=$(now)
awk -v s="$(seconds "$t0" "$t1")" -v p="$(stat -c %s summary/summary.png)" -v v="$(stat -c %s summary/summary.svg)" 'BEGIN {
  printf "  summarising 1,000 runs of 200 generations: %.2f s (target < 2 s); summary.png %.0f KiB, summary.svg %.0f KiB\n",
    s, p / 1024, v / 1024 }'
