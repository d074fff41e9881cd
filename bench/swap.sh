#!/usr/bin/env bash
# CPU cost of one backdrop swap (copy + present) at 1920x1080 on the SDL backend: on an
# ordinary 24-bit screen (shared memory, the default path), then on a 30-bit screen, which SDL
# can only draw through its renderer's texture.
#
# Usage: bench/swap.sh path/to/build
# Goal: median CPU per Present <= 1.5 ms on the 24-bit screen; the 30-bit figure is reported.
source "$(dirname "$0")/lib.sh"
wait_for_quiet_machine
for depth in 24 30; do
  echo "screen depth $depth:"
  XVFB_DEPTH=$depth start_xvfb 1920x1080
  machine_busy_start
  XVFB_PID=$XVFB_PID "$BENCH_BIN/lumorra_swap_bench" "${PRESENTS:-300}" 2>"$WORK/err.txt" ||
    fail "swap bench failed: $(cat "$WORK/err.txt")"
  machine_busy_report
  kill "$XVFB_PID"
  wait "$XVFB_PID" 2>/dev/null || true
  unset 'PIDS[-1]'
done
