#!/usr/bin/env bash
# Usage: [VIDEO=wayland] bench/idle.sh path/to/build. Idle CPU and wake-ups, disk driver and ALSA
# without a card.
source "$(dirname "$0")/lib.sh"

counters() { # PID: CPU ns (schedstat) and context switches, summed over the live threads
  echo "$(cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s + 0 }')" \
    "$(cat /proc/"$1"/task/*/status 2>/dev/null |
      awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { s += $2 } END { print s + 0 }')"
}

# wait_audio_closed FILE: returns once the disk driver has left FILE alone for 0.5 s (30 s at most).
wait_audio_closed() {
  local last=-1 size
  for _ in $(seq 60); do
    sleep 0.5 && size=$(stat -c %s "$1" 2>/dev/null || echo 0)
    [ "$size" -gt 0 ] && [ "$size" -eq "$last" ] && return 0 || last=$size
  done
  return 1
}

measure() { # measure DRIVER: one table row, over 10 s
  local pid before after
  SDL_AUDIODRIVER=$1 SDL_DISKAUDIOFILE="$WORK/audio.raw" "$LUMORRA" >/dev/null 2>"$WORK/err" &
  pid=$! && PIDS+=("$pid")
  [ "$1" != disk ] && sleep 5 || { wait_audio_closed "$WORK/audio.raw" && sleep 0.5 ||
    fail "the audio device was still open 30 s after start"; }
  kill -0 "$pid" 2>/dev/null || fail "lumorra ($1) exited: $(cat "$WORK/err")"
  before=$(counters "$pid") && sleep 10 && after=$(counters "$pid")
  stop_pid "$pid"
  awk -v d="$1" -v b="$before" -v a="$after" 'BEGIN { split(b, x); split(a, y)
    printf "| %s | %.2f | %.2f |\n", d, (y[1] - x[1]) / 1e6, (y[2] - x[2]) / 10 }'
}

start_xvfb 1920x1080
on_wayland 1920x1080
machine_busy_start
echo "idle over 10 s on Xvfb 1920x1080 (goal: 0 wake-ups/s, <= 5 ms CPU)"
echo "| audio | CPU ms per 10 s | wake-ups/s |"
echo "|---|---|---|"
measure disk
measure alsa
machine_busy_report
