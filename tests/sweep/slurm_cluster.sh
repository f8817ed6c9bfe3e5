#!/usr/bin/env bash
# A real one-node Slurm cluster for tests, all of it inside DIR:
#
#   slurm_cluster.sh start DIR   munged, slurmctld and slurmd on fresh ports, with
#                                their own key, socket, state and logs; returns
#                                once the node is idle. DIR/env sets SLURM_CONF
#                                for sbatch, squeue and sinfo (source it).
#   slurm_cluster.sh stop DIR    cancels the jobs, stops every process the
#                                cluster started (the daemons, job steps and the
#                                jobs' own processes) and says so if any is left.
#   slurm_cluster.sh logs DIR    the daemons' logs, for a failed test.
#
# The daemons carry VEXLORA_SLURM_CLUSTER=DIR in their environment, and slurmd
# hands it to the job steps it starts: stop ends exactly those processes and
# their descendants, and no other cluster's. Needs root (the daemons run as
# root, as SlurmUser), slurm-wlm and munge.
set -uo pipefail

die() {
  echo "slurm_cluster: $*" >&2
  exit 1
}

usage() { die "usage: slurm_cluster.sh start|stop|logs DIR"; }

[ $# -eq 2 ] || usage
action=$1
dir=$(realpath -m "$2")

print_logs() {
  for log in "$dir/munge/munged.log" "$dir/slurmctld.log" "$dir/slurmd.log"; do
    [ -f "$log" ] || continue
    echo "----- $log (last 40 lines)" >&2
    tail -n 40 "$log" >&2
  done
}

# Pids of the processes whose environment holds this cluster's mark (the
# daemons and the job steps slurmd starts), and of all their descendants
# (the jobs' own processes).
marked_pids() {
  local mark="VEXLORA_SLURM_CLUSTER=$dir" stat pid rest ppid environ
  local -A parent=()
  for stat in /proc/[0-9]*/stat; do
    pid=${stat#/proc/}
    pid=${pid%/stat}
    { read -r rest < "$stat"; } 2>/dev/null || continue
    rest=${rest##*) }
    read -r _ ppid _ <<< "$rest"
    parent[$pid]=$ppid
  done
  local found=()
  for environ in $(grep -lzxF "$mark" /proc/[0-9]*/environ 2>/dev/null); do
    pid=${environ#/proc/}
    found+=("${pid%/environ}")
  done
  local -A taken=()
  for pid in "${found[@]}"; do taken[$pid]=1; done
  local grew=1
  while [ $grew -eq 1 ]; do
    grew=0
    for pid in "${!parent[@]}"; do
      if [ -z "${taken[$pid]:-}" ] && [ -n "${taken[${parent[$pid]}]:-}" ]; then
        taken[$pid]=1
        grew=1
      fi
    done
  done
  for pid in "${!taken[@]}"; do
    [ -d "/proc/$pid" ] && echo "$pid"
  done
}

# Whether the pid runs (a zombie whose parent has not reaped it does not).
alive() {
  local stat
  { read -r stat < "/proc/$1/stat"; } 2>/dev/null || return 1
  stat=${stat##*) }
  [ "${stat:0:1}" != Z ]
}

# Sends TERM to the pids, waits up to SECONDS for them to go, then KILL.
end_processes() {
  local seconds=$1
  shift
  [ $# -gt 0 ] || return 0
  kill -TERM "$@" 2>/dev/null
  local deadline=$((SECONDS + seconds)) pid running
  while :; do
    running=()
    for pid in "$@"; do
      alive "$pid" && running+=("$pid")
    done
    [ ${#running[@]} -eq 0 ] && return 0
    [ $SECONDS -ge $deadline ] && break
    sleep 0.2
  done
  kill -KILL "${running[@]}" 2>/dev/null
  sleep 0.2
}

# The pid in a pid file, if that process is still the named program.
pid_of() {
  local file=$1 name=$2 pid
  [ -f "$file" ] || return 0
  pid=$(tr -dc '0-9' < "$file")
  [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$name" ] && echo "$pid"
}

stop() {
  [ -d "$dir" ] || return 0
  local slurmd slurmctld munged
  slurmd=$(pid_of "$dir/slurmd.pid" slurmd)
  slurmctld=$(pid_of "$dir/slurmctld.pid" slurmctld)
  munged=$(pid_of "$dir/munge/munged.pid" munged)
  if [ -f "$dir/slurm.conf" ] && [ -n "$slurmctld" ]; then
    # Cancelled jobs end through their steps, which report to the daemons.
    SLURM_CONF="$dir/slurm.conf" timeout 10 scancel --quiet --full --user=root 2>/dev/null
    local deadline=$((SECONDS + 10))
    while [ $SECONDS -lt $deadline ] &&
      [ -n "$(SLURM_CONF="$dir/slurm.conf" timeout 5 squeue -h -o %i 2>/dev/null)" ]; do
      sleep 0.3
    done
  fi
  # Taken before the daemons go: the jobs' processes are known as the job
  # steps' descendants only while the steps live.
  local before
  before=$(marked_pids)
  end_processes 10 $slurmd $slurmctld
  # Job steps and job processes that outlived their daemons; munged last,
  # since the others talk to it until they end.
  local others=() pid
  for pid in $before $(marked_pids); do
    [ "$pid" = "$munged" ] || others+=("$pid")
  done
  end_processes 5 "${others[@]}"
  end_processes 5 $munged
  local left=()
  for pid in $(marked_pids) $slurmd $slurmctld $munged; do
    alive "$pid" && left+=("$pid")
  done
  if [ ${#left[@]} -gt 0 ]; then
    echo "slurm_cluster: processes of $dir still running:" >&2
    for pid in "${left[@]}"; do echo "  $pid $(tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null)" >&2; done
    return 1
  fi
  return 0
}

# A TCP port nothing listens on (a listener on any address answers on loopback).
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
  done
}

write_conf() {
  local host=$1 ctld_port=$2 slurmd_port=$3
  local cpus memory
  cpus=$(nproc)
  memory=$(awk '/^MemTotal:/ { print int($2 / 1024 / 2) }' /proc/meminfo)
  # The addresses are given so that nothing depends on the host name resolving.
  cat > "$dir/slurm.conf" <<EOF
ClusterName=vexloratest
SlurmctldHost=$host(127.0.0.1)
AuthType=auth/munge
AuthInfo=socket=$dir/munge/munge.socket
CredType=cred/munge
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/builtin
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
SlurmUser=root
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
ReturnToService=2
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
MpiDefault=none
MailProg=/bin/true
NodeName=$host NodeAddr=127.0.0.1 CPUs=$cpus RealMemory=$memory State=UNKNOWN
PartitionName=main Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
}

# One attempt at a running cluster; 0 when the node is idle, 2 when a port
# was taken meanwhile (worth another try with new ones), 1 otherwise.
start_once() {
  local host
  host=$(hostname -s)
  rm -rf "$dir/state" "$dir/spool" "$dir/munge" "$dir"/*.log "$dir"/*.pid
  mkdir -p "$dir/state" "$dir/spool" "$dir/munge" || return 1
  chmod 0700 "$dir/munge"
  head -c 1024 /dev/urandom > "$dir/munge/munge.key" && chmod 0400 "$dir/munge/munge.key" || return 1
  write_conf "$host" "$(free_port)" "$(free_port)"

  local mark="VEXLORA_SLURM_CLUSTER=$dir"
  env "$mark" munged --force --socket="$dir/munge/munge.socket" --key-file="$dir/munge/munge.key" \
    --pid-file="$dir/munge/munged.pid" --log-file="$dir/munge/munged.log" \
    --seed-file="$dir/munge/munged.seed" || { echo "slurm_cluster: munged did not start" >&2; return 1; }
  env "$mark" slurmctld -f "$dir/slurm.conf" || { echo "slurm_cluster: slurmctld did not start" >&2; return 1; }
  env "$mark" slurmd -f "$dir/slurm.conf" || { echo "slurm_cluster: slurmd did not start" >&2; return 1; }

  local deadline=$((SECONDS + 30)) state
  while [ $SECONDS -lt $deadline ]; do
    state=$(SLURM_CONF="$dir/slurm.conf" timeout 5 sinfo -h -N -o %T 2>/dev/null)
    [ "$state" = "idle" ] && return 0
    if grep -qs "Address already in use" "$dir/slurmctld.log" "$dir/slurmd.log"; then
      echo "slurm_cluster: a port was taken meanwhile; trying others" >&2
      return 2
    fi
    if [ -z "$(pid_of "$dir/slurmctld.pid" slurmctld)" ] && [ $SECONDS -gt $((deadline - 25)) ]; then
      echo "slurm_cluster: slurmctld is gone" >&2
      return 1
    fi
    sleep 0.3
  done
  echo "slurm_cluster: the node did not become idle in 30 s (state: ${state:-none})" >&2
  return 1
}

case $action in
  start)
    [ "$(id -u)" -eq 0 ] || die "needs root: the daemons run as root"
    for program in munged slurmctld slurmd sbatch sinfo squeue scancel; do
      command -v "$program" > /dev/null || die "$program not found: install slurm-wlm and munge (scripts/install-deps.sh)"
    done
    mkdir -p "$dir" || die "cannot create $dir"
    for attempt in 1 2 3; do
      start_once
      result=$?
      if [ $result -eq 0 ]; then
        printf 'export SLURM_CONF=%q\n' "$dir/slurm.conf" > "$dir/env"
        exit 0
      fi
      [ $result -eq 2 ] || break
      stop
    done
    print_logs
    stop
    exit 1
    ;;
  stop)
    stop
    ;;
  logs)
    print_logs
    ;;
  *)
    usage
    ;;
esac
