#!/usr/bin/env bash
# An experiment run task by task by another engine gives byte for byte the
# files of a local `vexlora-sweep run` of the same plan:
#
#   engines_test.sh slurm SWEEP PARAMS_INI     as a job array and a summary job on a
#                                              real one-node Slurm cluster, started
#                                              and stopped here (slurm_cluster.sh)
#   engines_test.sh parallel SWEEP PARAMS_INI  with GNU parallel, two tasks at once,
#                                              then `vexlora-sweep summarise`
#
# A missing Slurm, munge or GNU parallel fails in CI (CI=true) and skips
# (status 77) elsewhere.
set -euo pipefail

[ $# -eq 3 ] || { echo "usage: engines_test.sh slurm|parallel SWEEP PARAMS_INI" >&2; exit 1; }
engine=$1
sweep=$2
base_params=$3
here=$(cd "$(dirname "$0")" && pwd)

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

need() {
  local missing=()
  for program in "$@"; do command -v "$program" > /dev/null || missing+=("$program"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "${CI:-}" = "true" ]; then
    fail "not installed: ${missing[*]} (scripts/install-deps.sh installs them)"
  fi
  echo "SKIP: not installed: ${missing[*]}" >&2
  exit 77
}

case $engine in
  slurm)
    need sbatch squeue sinfo scancel slurmctld slurmd munged
    if [ "$(id -u)" -ne 0 ]; then
      [ "${CI:-}" = "true" ] && fail "the Slurm test starts the daemons as root"
      echo "SKIP: the Slurm test starts the daemons as root" >&2
      exit 77
    fi
    ;;
  parallel) need parallel ;;
  *) fail "unknown engine $engine" ;;
esac

work=$(mktemp -d "${TMPDIR:-/tmp}/vexlora-engines.XXXXXX")
cluster="$work/cluster"
cleanup() {
  local status=$?
  if [ "$engine" = slurm ] && [ -d "$cluster" ]; then
    bash "$here/slurm_cluster.sh" stop "$cluster" || status=1
  fi
  rm -rf "$work"
  exit $status
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP  # so that the cluster is stopped then too

# Short runs: 2 variants x 2 seeds, a few short generations.
sed 's/^TicksPerGeneration .*/TicksPerGeneration 300/' "$base_params" > "$work/params.ini"
grep -qx "TicksPerGeneration 300" "$work/params.ini" || fail "no TicksPerGeneration line in $base_params"
plan=(--seeds 1-2 --set MutationRate=0.05,0.3 --params "$work/params.ini" --generations 4)

# On the cluster the experiment's path holds a space and a per cent sign,
# which sweep.sbatch's #SBATCH lines must keep.
remote="$work/remote"
[ "$engine" = slurm ] && remote="$work/remote 100% dir"

# The reference: the same plan run here.
"$sweep" run "$work/local" "${plan[@]}" --jobs 2 --quiet || fail "the local sweep exited with $?"

"$sweep" plan "$remote" "${plan[@]}" || fail "plan exited with $?"
tasks=$(tail -n +2 "$remote/tasks.csv" | cut -d, -f1)
[ "$(echo $tasks)" = "0 1 2 3" ] || fail "expected tasks 0 to 3 in tasks.csv, found: $(echo $tasks)"

started=$SECONDS
case $engine in
  slurm)
    bash "$here/slurm_cluster.sh" start "$cluster" || fail "the cluster did not start"
    up=$((SECONDS - started))
    # shellcheck disable=SC1091
    source "$cluster/env"
    ids=$("$sweep" slurm "$remote" --submit) || fail "slurm --submit exited with $?"
    [ -s "$remote/sweep.sbatch" ] || fail "no sweep.sbatch written"
    read -r array_job summary_job _ <<< "$(echo $ids)"
    [ -n "$array_job" ] && [ -n "$summary_job" ] || fail "expected two job ids, got: $ids"

    # As sbatch --wait on the summary job, bounded: it may only start once the
    # whole array has ended.
    deadline=$((SECONDS + 300))
    state=""
    while :; do
      state=$(squeue -h -t all -j "$summary_job" -o %T 2>/dev/null || true)
      case $state in
        COMPLETED | FAILED | CANCELLED | TIMEOUT | NODE_FAIL | OUT_OF_MEMORY | BOOT_FAIL | DEADLINE | PREEMPTED) break ;;
      esac
      if [ $SECONDS -ge $deadline ]; then
        echo "The jobs after 300 s:" >&2
        squeue -t all >&2 || true
        bash "$here/slurm_cluster.sh" logs "$cluster"
        tail -n 20 "$remote"/slurm/* >&2 || true
        fail "the summary job $summary_job did not end within 300 s (state: ${state:-unknown})"
      fi
      sleep 0.5
    done
    if [ "$state" != COMPLETED ]; then
      squeue -t all >&2 || true
      tail -n 20 "$remote"/slurm/* >&2 || true
      fail "the summary job ended $state"
    fi
    array_states=$(squeue -h -t all -j "$array_job" -o %T | sort -u | tr '\n' ' ')
    [ "$array_states" = "COMPLETED " ] || fail "the array's tasks ended: $array_states"
    # Their output where sweep.sbatch says: four array tasks and the summary.
    outputs=$(ls "$remote/slurm")
    [ "$(grep -c "^${array_job}_[0-3]\.out\$" <<< "$outputs")" -eq 4 ] &&
      [ "$(grep -c "^summarise_${summary_job}\.out\$" <<< "$outputs")" -eq 1 ] ||
      fail "expected the output of four array tasks and the summary in $remote/slurm, found: $(echo $outputs)"
    ;;
  parallel)
    # shellcheck disable=SC2086
    parallel --will-cite -j2 "$sweep" task "$remote" {} ::: $tasks || fail "a parallel task failed"
    "$sweep" summarise "$remote" || fail "summarise exited with $?"
    ;;
esac
took=$((SECONDS - started))

for file in runs.csv summary.csv summary.png summary.svg runs/{0,1,2,3}/run.csv; do
  [ -f "$work/local/$file" ] || fail "the local sweep wrote no $file"
  cmp "$work/local/$file" "$remote/$file" || fail "$file differs from the local sweep's"
done
grep -q "^3,1,2,done," "$remote/runs.csv" || fail "runs.csv does not list task 3 (variant 1, seed 2) as done"

if [ "$engine" = slurm ]; then
  bash "$here/slurm_cluster.sh" stop "$cluster" || fail "the cluster left processes behind"
  rm -rf "$cluster"
  echo "PASS: Slurm cluster up in ${up} s; the array and the summary job, cluster start included, in ${took} s"
else
  echo "PASS: four tasks with GNU parallel and the summary in ${took} s"
fi
