#!/usr/bin/env bash
# Usage: bench/swap.sh path/to/build. Swap cost on a 24-bit screen, then on a 30-bit one.
source "$(dirname "$0")/lib.sh"
for depth in 24 30; do
  echo "screen depth $depth:"
  XVFB_DEPTH=$depth start_xvfb 1920x1080
  machine_busy_start
  XVFB_PID=$XVFB_PID "$BENCH_BIN/lumorra_swap_bench" "${PRESENTS:-300}" 2>"$WORK/err.txt" ||
    fail "swap bench failed: $(cat "$WORK/err.txt")"
  machine_busy_report
  stop_pid "$XVFB_PID"
  unset 'PIDS[-1]'
done
