#!/usr/bin/env bash
# Usage: bench/swap.sh path/to/build. Swap cost on a 24-bit screen, then on a 30-bit one.
source "$(dirname "$0")/lib.sh"
for depth in 24 30; do
  XVFB_DEPTH=$depth start_xvfb 1920x1080
  machine_busy_start
  "$BENCH_BIN/lumorra_swap_bench" "${PRESENTS:-300}" >"$WORK/out" 2>"$WORK/err" ||
    fail "swap bench failed: $(cat "$WORK/err")"
  for k in wall cpu; do # the CPU figures last, for the goal
    samples $k "$WORK/out" >"$WORK/$k"
    read -r n m p max <<<"$(stats "$WORK/$k")"
    echo "$depth-bit screen, $k ms per Present ($n): median $m, p99 $p, max $max"
  done
  [ "$depth" != 24 ] ||
    awk -v m="$m" 'BEGIN { print "goal: median CPU <= 1.5 ms:", m <= 1.5 ? "met" : "MISSED" }'
  machine_busy_report
  stop_pid "$XVFB_PID"
  unset 'PIDS[-1]'
done
