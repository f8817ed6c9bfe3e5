#!/usr/bin/env bash
# Measures the speed of evolution: installs what is missing, builds
# RelWithDebInfo in build-bench/ (its own build), runs every benchmark of
# vexlora-bench pinned to one core (five repetitions in random order, so that
# pairs measured against each other share the machine's moods; the table,
# then the critter step and the tick against the arithmetic floor of a
# step, and the correctly rounded functions and the step against the
# platform's math), then times `vexlora-evolve --generations 200` on the
# default params.ini, and what recording a generation as a GIF costs
# (vexlora-movie-bench, on every core: its encoding runs on threads), the
# sweep's throughput, and the web page's fast mode in headless chromium
# against vexlora-evolve (build-bench-web/). Last, the long check of exp,
# sin, cos and atan2 against MPFR (VEXLORA_MATH_CHECK_COUNT arguments a
# function, default 10^8: some ten minutes on two cores; 0 leaves it out).
#
#   scripts/bench.sh                              everything
#   scripts/bench.sh --benchmark_filter=Tick      more benchmark options
#
# Other work on the machine disturbs the timings: the benchmarks count
# processor time and show the smallest of their repetitions.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${VEXLORA_BUILD_DIR:-build-bench}

scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXLORA_BENCH=ON -DVEXLORA_WERROR=OFF \
  -DVEXLORA_SANITIZE=OFF > /dev/null
cmake --build "$build" --target vexlora-bench vexlora-evolve vexlora-movie-bench vexlora-math-check -j "$(nproc)"

# The last core, ahead of other work on it when we may ask for that.
core=$(( $(nproc) - 1 ))
pin=(taskset -c "$core")
if [ "$(id -u)" -eq 0 ]; then pin=(nice -n -10 "${pin[@]}"); fi

"${pin[@]}" "$build/bench/vexlora-bench" --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true "$@"

# The headless runner, seeded, in a directory of its own (it writes its log
# and may write the weight file there).
generations=200
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp params.ini "$work/"
evolve=("${pin[@]}" "$root/$build/tools/vexlora-evolve" --generations "$generations" --seed 1 --quiet --csv result.csv)
echo
echo "vexlora-evolve --generations $generations --seed 1 on the default params.ini:"
if command -v hyperfine > /dev/null; then
  (cd "$work" && hyperfine --warmup 1 --runs 3 --export-json times.json "${evolve[*]} 2> /dev/null")
  seconds=$(grep -m1 '"min"' "$work/times.json" | tr -dc '0-9.')
else
  TIMEFORMAT='%R %U'
  seconds=""
  for run in 1 2 3; do
    t=$( { time (cd "$work" && "${evolve[@]}" 2> /dev/null); } 2>&1 )
    echo "  run $run: ${t% *} s elapsed, ${t#* } s processor"
    seconds=$(awk -v a="${t% *}" -v b="${seconds:-${t% *}}" 'BEGIN { print (a < b ? a : b) }')
  done
fi
awk -v g="$generations" -v s="$seconds" \
  'BEGIN { printf "Generations per second: %.1f (best of 3 runs: %.2f s for %d generations)\n", g / s, s, g }'

echo
"$build/bench/vexlora-movie-bench"

# Experiments: vexlora-sweep's throughput, its overhead a run and its summary.
cmake --build "$build" --target vexlora-sweep -j "$(nproc)"
echo
scripts/bench-sweep.sh "$build"

# The web edition: fast mode in headless chromium against vexlora-evolve on
# the same seed and generations, turn about (neither pinned: the browser
# runs several processes); the site's files raw and compressed; the first
# frame after the page is asked for.
VEXLORA_WEB_BUILD_DIR=build-bench-web scripts/web.sh --build > /dev/null
echo
echo "The web page (build-bench-web/site) in headless chromium:"
node bench/web_page_bench.mjs build-bench-web/site "$build/tools/vexlora-evolve" . 300 5

# exp, sin, cos and atan2 against MPFR on many more arguments than the tests.
count=${VEXLORA_MATH_CHECK_COUNT:-100000000}
if [ "$count" != 0 ]; then
  echo
  echo "The correctly rounded functions against MPFR, $count arguments each:"
  "$build/tests/math/vexlora-math-check" "$count"
fi
