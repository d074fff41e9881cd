# Sourced by every benchmark script: the build, Xvfb on displays clear of the tests', statistics.
set -euo pipefail
BUILD=$(readlink -f "${1:?usage: $0 path/to/build}")
LUMORRA=$BUILD/lumorra BENCH_BIN=$BUILD/bench
[ -x "$LUMORRA" ] || { echo "no program at $LUMORRA" >&2; exit 1; }
XVFB_DISPLAYS=$(seq 150 199) WORK=$(mktemp -d /tmp/lumorra-bench.XXXXXX)
source "$(dirname "${BASH_SOURCE[0]}")/../tests/xserver.sh"

stop_pid() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

# stats FILE: "count median p99 min max" of the numbers in FILE, one a line (p99 nearest rank).
stats() {
  sort -g "$1" | awk 'NF { v[++n] = $1 } END {
    p = int(0.99 * n); if (p < 0.99 * n) p++; if (p < 1) p = 1
    m = n % 2 ? v[(n + 1) / 2] : sprintf("%.3f", (v[n / 2] + v[n / 2 + 1]) / 2)
    print n, m, v[p], v[1], v[n] }'
}

# kv KEY LINE: the value of KEY=VALUE in a line of such pairs.
kv() { tr ' ' '\n' <<<"$2" | sed -n "s/^$1=//p" | head -n1; }

# machine_busy_start notes the CPU counters; busy_pct: % of all CPUs busy since (ours included).
machine_busy_start() { read -r _ MB_U MB_N MB_S MB_I MB_W MB_Q MB_SQ MB_ST _ </proc/stat; }
busy_pct() {
  local u n s i w q sq st
  read -r _ u n s i w q sq st _ </proc/stat
  local busy=$((u + n + s + q + sq + st - MB_U - MB_N - MB_S - MB_Q - MB_SQ - MB_ST))
  echo $(((200 * busy / (busy + i + w - MB_I - MB_W) + 1) / 2))
}
machine_busy_report() { echo "machine during this benchmark: $(busy_pct)% of $(nproc) CPUs busy"; }

# Wait (up to BENCH_WAIT_QUIET s, 60 by default) until the CPUs are under 20 % busy over 2 s.
for waited in $(seq 2 2 "${BENCH_WAIT_QUIET:-60}"); do
  machine_busy_start && sleep 2 && pct=$(busy_pct)
  [ "$pct" -ge 20 ] || break
  [ "$waited" -lt "${BENCH_WAIT_QUIET:-60}" ] ||
    echo "note: the machine stayed busy (${pct}% of the CPUs) for $waited s; measuring anyway"
done
