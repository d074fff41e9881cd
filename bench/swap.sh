#!/usr/bin/env bash
# CPU cost of one backdrop swap (copy + present) at 1920x1080 on the SDL backend.
#
# Usage: bench/swap.sh path/to/build
# Goal: median CPU per Present <= 1.5 ms.
source "$(dirname "$0")/lib.sh"
wait_for_quiet_machine
start_xvfb 1920x1080
machine_busy_start
XVFB_PID=$XVFB_PID "$BENCH_BIN/lumorra_swap_bench" "${PRESENTS:-300}" 2>"$WORK/err.txt" ||
  fail "swap bench failed: $(cat "$WORK/err.txt")"
machine_busy_report
