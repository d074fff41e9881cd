#!/usr/bin/env bash
# Usage: bench/idle.sh path/to/build. Idle CPU and wake-ups, disk driver and ALSA without a card.
source "$(dirname "$0")/lib.sh"
WINDOW_S=${IDLE_WINDOW_S:-10}

counters() { # PID: utime+stime (ticks), CPU ns (schedstat) and context switches, live threads
  echo "$(sed -E 's/^.*\) //' "/proc/$1/stat" | awk '{ print $12 + $13 }')" \
    "$(cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s + 0 }')" \
    "$(cat /proc/"$1"/task/*/status 2>/dev/null |
      awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { s += $2 } END { print s + 0 }')"
}

# wait_audio_closed FILE: prints the seconds until the disk driver left FILE alone for 0.5 s.
wait_audio_closed() {
  local start=$EPOCHREALTIME last=-1 size stable=0
  for _ in $(seq 300); do
    size=$(stat -c %s "$1" 2>/dev/null || echo -1)
    [ "$size" -gt 0 ] && [ "$size" -eq "$last" ] && stable=$((stable + 1)) || stable=0
    [ "$stable" -lt 5 ] || { awk -v a="$EPOCHREALTIME" -v b="$start" 'BEGIN { printf "%.1f\n", a - b - 0.5 }'; return; }
    last=$size && sleep 0.1
  done
  return 1
}

measure() { # measure DRIVER: one table row
  local pid note="" before after threads
  SDL_AUDIODRIVER=$1 SDL_DISKAUDIOFILE="$WORK/audio.raw" "$LUMORRA" >/dev/null 2>"$WORK/err" &
  pid=$! && PIDS+=("$pid")
  [ "$1" != disk ] && sleep 5 || { note="audio device closed at +$(wait_audio_closed \
    "$WORK/audio.raw") s" || fail "the audio device was still open 30 s after start"; sleep 0.5; }
  kill -0 "$pid" 2>/dev/null || fail "lumorra ($1) exited: $(cat "$WORK/err")"
  before=$(counters "$pid") && sleep "$WINDOW_S" && after=$(counters "$pid")
  threads=$(cat /proc/"$pid"/task/*/comm | sort | uniq -c | awk '{ printf " %s(%d)", $2, $1 }')
  stop_pid "$pid"
  awk -v d="$1" -v b="$before" -v a="$after" -v w="$WINDOW_S" -v hz="$(getconf CLK_TCK)" \
    -v note="$note" -v th="$threads" 'BEGIN { split(b, x); split(a, y)
      printf "| %s | %.1f | %.2f | %.2f |%s | %s |\n", d, (y[1] - x[1]) * 1000 / hz * 10 / w,
        (y[2] - x[2]) / 1e6 * 10 / w, (y[3] - x[3]) / w, th, note }'
}

start_xvfb 1920x1080
machine_busy_start
echo "idle over ${WINDOW_S} s on Xvfb 1920x1080 (figures per 10 s and per second)"
echo "| audio | CPU ms/10s (stat ticks) | CPU ms/10s (schedstat) | wakeups/s | threads | note |"
echo "|---|---|---|---|---|---|"
measure disk
measure alsa
machine_busy_report
