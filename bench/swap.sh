#!/usr/bin/env bash
# Usage: [SCREEN=WxH] [SCREENS="24 30 wayland"] [WM=openbox|none] [WESTON_SCALE=N] bench/swap.sh path/to/build.
# Swap cost on a 24-bit screen, a 30-bit one and native Wayland (Weston's x11 backend, its output
# SCREEN pixels at scale N: SCREEN/N in points), with the display server's CPU.
source "$(dirname "$0")/lib.sh"
SCREEN=${SCREEN:-1920x1080}
for screen in ${SCREENS:-24 30 wayland}; do
  XVFB_DEPTH=${screen/wayland/24} start_xvfb "$SCREEN"
  server=$XVFB_PID name="$screen-bit screen"
  [ "${WM:-openbox}" = none ] || start_wm "${WM:-openbox}" # a desktop, as people run it
  if [ "$screen" = wayland ]; then
    command -v weston >/dev/null || { echo "wayland: weston is not installed"; continue; }
    start_weston "$SCREEN" "${WESTON_SCALE:-1}"
    server=$WESTON_PID name="Wayland (Weston, scale ${WESTON_SCALE:-1})"
  fi
  machine_busy_start
  WAYLAND_DISPLAY=bench SDL_VIDEODRIVER=${screen/#[0-9]*/x11} SERVER_PID=$server \
    "$BENCH_BIN/lumorra_swap_bench" "${PRESENTS:-300}" >"$WORK/out" 2>"$WORK/err" ||
    fail "swap bench failed: $(cat "$WORK/err")"
  for k in wall server_cpu cpu; do # the CPU figures last, for the goal
    samples $k "$WORK/out" >"$WORK/$k"
    read -r n m p max <<<"$(stats "$WORK/$k")"
    echo "$name $SCREEN, ${k/_/ } ms per Present ($n): median $m, p99 $p, max $max"
  done
  goal=5 && [ "$screen" = 24 ] && goal=0.2
  awk -v m="$m" -v g=$goal 'BEGIN { print "goal: median CPU <=", g, "ms:", m <= g ? "met" : "MISSED" }'
  machine_busy_report
  [ "$screen" = wayland ] && stop_pid "$server" && unset 'PIDS[-1]'
  [ "${WM:-openbox}" = none ] || { stop_pid "${PIDS[-1]}" && unset 'PIDS[-1]'; }
  stop_pid "$XVFB_PID"
  unset 'PIDS[-1]'
done
