#!/usr/bin/env bash
# Idle cost of the dark scene: once the opening sound is over and the audio device has been
# closed, the program should sleep until input arrives. Measured over 10 s with the audio
# going to a file (the disk driver) and with ALSA on a machine without a sound card.
#
# Usage: bench/idle.sh path/to/build
# Goals: 0 wake-ups/s and at most 5 ms of CPU per 10 s.
source "$(dirname "$0")/lib.sh"

WINDOW_S=${IDLE_WINDOW_S:-10}
CLK_TCK=$(getconf CLK_TCK)

# cpu_ticks PID: utime + stime of the whole process (every thread), in clock ticks.
cpu_ticks() { sed -E 's/^.*\) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
# run_ns PID: time on the CPU summed over the live threads, in ns (finer than the ticks).
run_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'; }
# switches PID: voluntary + involuntary context switches summed over the live threads.
switches() {
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { s += $2 } END { print s + 0 }'
}
threads() {
  local t
  for t in /proc/"$1"/task/*; do cat "$t/comm"; done 2>/dev/null | sort | uniq -c |
    awk '{ printf "%s%s(%d)", sep, $2, $1; sep = " " }'
}

# wait_audio_closed FILE LIMIT_S: waits until the disk driver has written the file and then
# stopped writing for 0.5 s. Prints the seconds since start at which that was seen.
wait_audio_closed() {
  local file=$1 limit=$2 start last_size=-1 size stable=0 now
  start=$(date +%s.%N)
  while :; do
    now=$(date +%s.%N)
    awk -v a="$now" -v b="$start" -v l="$limit" 'BEGIN { exit !(a - b > l) }' && return 1
    size=$(stat -c %s "$file" 2>/dev/null || echo -1)
    if [ "$size" -gt 0 ] && [ "$size" -eq "$last_size" ]; then
      stable=$((stable + 1))
      if [ "$stable" -ge 5 ]; then
        awk -v a="$now" -v b="$start" 'BEGIN { printf "%.1f\n", a - b - 0.5 }'
        return 0
      fi
    else
      stable=0
    fi
    last_size=$size
    sleep 0.1
  done
}

measure() {
  local driver=$1 pid closed note=""
  SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE="$WORK/audio-$driver.raw" \
    "$LUMORRA" >"$WORK/out-$driver.txt" 2>"$WORK/err-$driver.txt" &
  pid=$!
  PIDS+=("$pid")
  if [ "$driver" = disk ]; then
    closed=$(wait_audio_closed "$WORK/audio-$driver.raw" 30) ||
      fail "the audio device was still open 30 s after start"
    note="audio device closed at +${closed} s"
    sleep 0.5
  else
    sleep 5
    grep -q "no audio device" "$WORK/err-$driver.txt" && note="no audio device: silent"
  fi
  kill -0 "$pid" 2>/dev/null || fail "lumorra ($driver) exited: $(cat "$WORK/err-$driver.txt")"

  local c0 n0 s0 c1 n1 s1
  c0=$(cpu_ticks "$pid"); n0=$(run_ns "$pid"); s0=$(switches "$pid")
  sleep "$WINDOW_S"
  c1=$(cpu_ticks "$pid"); n1=$(run_ns "$pid"); s1=$(switches "$pid")
  local th
  th=$(threads "$pid")
  stop_pid "$pid"

  awk -v d="$driver" -v c=$((c1 - c0)) -v n=$((n1 - n0)) -v s=$((s1 - s0)) -v w="$WINDOW_S" \
    -v hz="$CLK_TCK" -v note="$note" -v th="$th" 'BEGIN {
      printf "| %s | %.1f | %.2f | %.2f | %s | %s |\n", d, c * 1000 / hz * 10 / w,
             n / 1e6 * 10 / w, s / w, th, note
    }'
}

wait_for_quiet_machine
start_xvfb 1920x1080
machine_busy_start
echo "idle over ${WINDOW_S} s on Xvfb 1920x1080 (figures per 10 s and per second)"
echo "| audio | CPU ms/10s (stat ticks) | CPU ms/10s (schedstat) | wakeups/s | threads | note |"
echo "|---|---|---|---|---|---|"
measure disk
measure alsa
echo "goals: 0 wakeups/s, <= 5 ms CPU per 10 s"
machine_busy_report
