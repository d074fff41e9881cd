# Sourced by every benchmark script: the build, Xvfb on a free display, statistics.
set -euo pipefail
BUILD=$(readlink -f "${1:?usage: $0 path/to/build}")
LUMORRA=$BUILD/lumorra BENCH_BIN=$BUILD/bench
[ -x "$LUMORRA" ] || { echo "no program at $LUMORRA" >&2; exit 1; }
# BENCH_DISPLAYS="N M ..." keeps a run to displays of its own.
XVFB_DISPLAYS=${BENCH_DISPLAYS:-} WORK=$(mktemp -d /tmp/lumorra-bench.XXXXXX)
source "$(dirname "${BASH_SOURCE[0]}")/../tests/xserver.sh"

stop_pid() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

# stats FILE: "count median p99 max" of the numbers in FILE, one a line (p99 nearest rank).
stats() {
  sort -g "$1" | awk 'NF { v[++n] = $1 } END {
    p = int(0.99 * n); if (p < 0.99 * n) p++; if (p < 1) p = 1
    print n, n % 2 ? v[(n + 1) / 2] : sprintf("%.3f", (v[n / 2] + v[n / 2 + 1]) / 2), v[p], v[n] }'
}
# samples KEY FILE...: the numbers on the programs' "KEY_ms: ..." lines, one a line.
samples() { sed -n "s/^$1_ms: *//p" "${@:2}" | tr ' ' '\n'; }

# machine_busy_start notes the CPU counters; busy_pct: % of all CPUs busy since (ours included).
cpu_ticks() { awk '/^cpu / { print $2 + $3 + $4 + $7 + $8 + $9, $5 + $6 }' /proc/stat; }
machine_busy_start() { read -r MB_BUSY MB_IDLE <<<"$(cpu_ticks)"; }
busy_pct() {
  local b i && read -r b i <<<"$(cpu_ticks)" && b=$((b - MB_BUSY)) i=$((i - MB_IDLE))
  echo $(((200 * b / (b + i + 1) + 1) / 2))
}
machine_busy_report() { echo "machine during this benchmark: $(busy_pct)% of $(nproc) CPUs busy"; }

# start_weston WxH [SCALE]: Weston's x11 backend on the Xvfb, its output WxH pixels at SCALE (1),
# so WxH/SCALE in points, for clients with WAYLAND_DISPLAY=bench; sets WESTON_PID. Weston runs in
# a session of its own, as a desktop's compositor does: in the program's, the kernel's autogroup
# would charge its drawing (in software, on llvmpipe) to the program's share of the CPUs, and
# the program's timers would wait for it (see show_desktops.sh).
start_weston() {
  local scale=${2:-1}
  command -v weston >/dev/null || fail "weston is not installed"
  export XDG_RUNTIME_DIR=$WORK/runtime && mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  setsid weston --backend=x11-backend.so --width=$((${1%x*} / scale)) --height=$((${1#*x} / scale)) \
    --scale="$scale" --socket=bench --idle-time=0 >"$WORK/weston.log" 2>&1 &
  WESTON_PID=$! && PIDS+=("$WESTON_PID")
  wait_for 100 test -S "$XDG_RUNTIME_DIR/bench" || fail "weston did not start"
}
# on_wayland WxH: with VIDEO=wayland, the program runs on Weston (start_weston) on the Xvfb.
on_wayland() {
  [ "${VIDEO:-x11}" = wayland ] || return 0
  start_weston "$1" && export WAYLAND_DISPLAY=bench SDL_VIDEODRIVER=wayland
  echo "native Wayland: Weston's x11 backend, $1"
}

# Wait (up to BENCH_WAIT_QUIET s, 60 by default) until the CPUs are under 20 % busy over 2 s.
for _ in $(seq 2 2 "${BENCH_WAIT_QUIET:-60}"); do
  machine_busy_start && sleep 2 && [ "$(busy_pct)" -ge 20 ] || break
done
