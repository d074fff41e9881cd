# Shared helpers for the benchmark scripts: the build directory, a private Xvfb server, and
# cleanup of every process started here, by pid. Sourced, never run on its own.
set -euo pipefail

BUILD=${1:?usage: $0 path/to/build}
BUILD=$(readlink -f "$BUILD")
LUMORRA=$BUILD/lumorra
MEDIA_DIR=$BUILD/media
BENCH_BIN=$BUILD/bench
[ -x "$LUMORRA" ] || { echo "no program at $LUMORRA" >&2; exit 1; }
WORK=$(mktemp -d /tmp/lumorra-bench.XXXXXX)
# Display numbers clear of the ones the end-to-end tests use.
XVFB_DISPLAYS=$(seq 150 199)
source "$(dirname "${BASH_SOURCE[0]}")/../tests/xserver.sh"

# stop_pid PID: ends one process started here and waits for it.
stop_pid() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# median: the median of the numbers on standard input, one a line.
median() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "nan"; exit }
    if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# kv KEY LINE: the value of KEY=VALUE in a line of such pairs.
kv() {
  tr ' ' '\n' <<<"$2" | sed -n "s/^$1=//p" | head -n1
}

# Other work on the machine skews every timing here. machine_busy_start notes the CPU counters;
# machine_busy_report prints how busy all CPUs were since then (this benchmark included).
machine_busy_start() { read -r _ MB_U MB_N MB_S MB_I MB_W MB_Q MB_SQ MB_ST _ </proc/stat; }
machine_busy_report() {
  local u n s i w q sq st
  read -r _ u n s i w q sq st _ </proc/stat
  awk -v busy=$(((u + n + s + q + sq + st) - (MB_U + MB_N + MB_S + MB_Q + MB_SQ + MB_ST))) \
    -v idle=$(((i + w) - (MB_I + MB_W))) -v cpus="$(nproc)" 'BEGIN {
      printf "machine during this benchmark: %.0f%% of %d CPUs busy (all processes)\n",
        100 * busy / (busy + idle), cpus }'
}

# wait_for_quiet_machine: timings mean little while other work keeps the CPUs busy, so wait
# (up to BENCH_WAIT_QUIET seconds, 60 by default) until the CPUs are under 20% busy over 2 s.
wait_for_quiet_machine() {
  local limit=${BENCH_WAIT_QUIET:-60} waited=0 pct
  while :; do
    machine_busy_start
    sleep 2
    pct=$(machine_busy_report | sed -E 's/.*: ([0-9]+)%.*/\1/')
    [ "$pct" -lt 20 ] && return 0
    waited=$((waited + 2))
    if [ "$waited" -ge "$limit" ]; then
      echo "note: the machine stayed busy (${pct}% of the CPUs) for ${limit} s; measuring anyway"
      return 0
    fi
  done
}
