#!/usr/bin/env bash
# Delay from a picture reaching the screen to the first samples of a sound started right after
# it, with the audio going to a file through SDL's disk driver (see audio_bench.cpp for what
# the figure includes).
#
# Usage: bench/audio.sh path/to/build        (REPS=24 by default)
# Goal: <= 30 ms.
source "$(dirname "$0")/lib.sh"
wait_for_quiet_machine
start_xvfb 1920x1080
machine_busy_start
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORK/audio.raw" \
  "$BENCH_BIN/lumorra_audio_bench" "${REPS:-24}" 2>"$WORK/err.txt" ||
  fail "audio bench failed: $(grep -v CRITICAL "$WORK/err.txt")"
machine_busy_report
