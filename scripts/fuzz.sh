#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz (clang, address and undefined-
# behaviour sanitizers) in build-fuzz and runs each for a bounded time from
# its committed seeds. Any crash, leak, hang (over 10 s), memory blow-up or
# sanitizer report fails the run. VEXLORA_FUZZ_SECONDS sets the time per
# target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${VEXLORA_FUZZ_SECONDS:-60}
targets=(params_fuzz weight_file_fuzz world_fuzz)

scripts/install-deps.sh

CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DVEXLORA_FUZZ=ON -DVEXLORA_WERROR=ON -DVEXLORA_WINDOW=OFF -DVEXLORA_BENCH=OFF > /dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=()
for t in "${targets[@]}"; do
  # A scratch corpus grown from the seeds; the committed seeds stay as they are.
  run="$root/build-fuzz/fuzz-run/$t"
  rm -rf "$run"
  mkdir -p "$run/corpus" "$run/artifacts"
  cp "$root/tests/fuzz/corpus/$t/"* "$run/corpus/"
  status=0
  "$root/build-fuzz/tests/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -detect_leaks=1 -print_final_stats=1 -artifact_prefix="$run/artifacts/" "$run/corpus" \
    > "$run/log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/log" | tail -n 1)
  echo "$t: ${executions:-?} executions in ${seconds} s"
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$run/artifacts")" ] ||
     grep -qE 'runtime error:|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)' "$run/log"; then
    echo "$t FAILED (exit status $status); log: $run/log, inputs: $run/artifacts" >&2
    tail -n 40 "$run/log" >&2
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzzing: ${#targets[@]} targets, no failure"
