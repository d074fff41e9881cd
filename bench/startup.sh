#!/usr/bin/env bash
# Start-up time on a desktop (openbox and a PulseAudio server with a null sink): from spawning
# the program to the dark scene being on the screen, against an image viewer showing the same
# photograph 1:1 on the same server, timed by the same probe. Then the same start with no sound
# card at all (ALSA and nothing to open), where only the spread of the starts matters. Then the
# program's peak resident size once the scene is up and it has gone idle.
#
# Usage: bench/startup.sh path/to/build        (RUNS=7 by default, alternating)
# Goals: median(lumorra) / median(feh) <= 1.0; with no sound card, the worst of the runs
# <= 1.5 x their median; peak RSS <= 90 MB.
source "$(dirname "$0")/lib.sh"

RUNS=${RUNS:-7}
PROBE=$BENCH_BIN/lumorra_screen_probe
PICTURE=$MEDIA_DIR/lowlight1.jpg
[ -x "$PROBE" ] || fail "no probe at $PROBE (build the bench targets)"
command -v feh >/dev/null || fail "feh is not installed (apt-get install feh)"
command -v openbox >/dev/null || fail "openbox is not installed (apt-get install openbox)"
command -v pulseaudio >/dev/null || fail "pulseaudio is not installed (apt-get install pulseaudio)"

wait_for_quiet_machine
start_xvfb 1920x1080
start_wm openbox
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --load=module-null-sink \
  --load=module-native-protocol-unix >"$WORK/pulse.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do
  pactl info >/dev/null 2>&1 && break
  sleep 0.05
done
pactl info >/dev/null 2>&1 || fail "pulseaudio did not start"
machine_busy_start
unset SDL_AUDIODRIVER  # the sound server, as on a desktop

# Both show the picture at its own size: the program at the top-left corner, feh (a zoom of
# 100 keeps full-screen mode from shrinking a larger picture) centred, so 100 rows higher on a
# 1080-row screen. The probe compares the same number of rows either way.
FEH=(feh --fullscreen --zoom 100 --image-bg black --hide-pointer "$PICTURE")
declare -A AT=([lumorra]=0,0 [feh]=0,-100)

probe() { # probe NAME [--settle-ms MS] -- COMMAND...
  local name=$1
  shift
  "$PROBE" --ref "$PICTURE" --at "${AT[$name]}" --log "$WORK/$name.log" "$@"
}

# One unmeasured run of each fills the page cache and the font cache, and checks where feh
# puts the picture on this screen.
probe lumorra -- "$LUMORRA" >/dev/null || fail "lumorra: the dark scene never appeared"
if ! probe feh -- "${FEH[@]}" >/dev/null 2>&1; then
  AT[feh]=0,0
  probe feh -- "${FEH[@]}" >/dev/null || fail "feh: the picture never appeared"
fi

: >"$WORK/lumorra.ms"
: >"$WORK/feh.ms"
for i in $(seq "$RUNS"); do
  line=$(probe lumorra -- "$LUMORRA") || fail "lumorra run $i: no picture"
  kv match_ms "$line" >>"$WORK/lumorra.ms"
  line=$(probe feh -- "${FEH[@]}") || fail "feh run $i: no picture"
  kv match_ms "$line" >>"$WORK/feh.ms"
done

L=$(median <"$WORK/lumorra.ms")
F=$(median <"$WORK/feh.ms")
echo "first picture on the screen, Xvfb 1920x1080 with openbox and PulseAudio (null sink),"
echo "$RUNS alternating runs"
echo "lumorra runs (ms): $(tr '\n' ' ' <"$WORK/lumorra.ms")"
echo "feh runs (ms):     $(tr '\n' ' ' <"$WORK/feh.ms")"
echo "| program | median ms | min ms | max ms |"
echo "|---|---|---|---|"
for p in lumorra feh; do
  sort -g "$WORK/$p.ms" | awk -v p="$p" -v m="$( [ $p = lumorra ] && echo "$L" || echo "$F")" \
    '{ v[NR] = $1 } END { printf "| %s | %s | %s | %s |\n", p, m, v[1], v[NR] }'
done
awk -v l="$L" -v f="$F" 'BEGIN { r = l / f; printf "ratio lumorra/feh: %.2f (goal <= 1.0: %s)\n",
  r, r <= 1.0 ? "met" : "MISSED" }'

# No sound card: ALSA finds nothing to open. Opening the device must not hold up any start.
: >"$WORK/nocard.ms"
for i in $(seq "$RUNS"); do
  line=$(SDL_AUDIODRIVER=alsa probe lumorra -- "$LUMORRA" 2>/dev/null) ||
    fail "lumorra without a sound card, run $i: no picture"
  kv match_ms "$line" >>"$WORK/nocard.ms"
done
N=$(median <"$WORK/nocard.ms")
W=$(sort -g "$WORK/nocard.ms" | tail -n1)
echo "no sound card (ALSA), $RUNS runs (ms): $(tr '\n' ' ' <"$WORK/nocard.ms")"
awk -v n="$N" -v w="$W" 'BEGIN { r = w / n; printf "median %s ms, worst %s ms, worst/median %.2f (goal <= 1.5: %s)\n",
  n, w, r, r <= 1.5 ? "met" : "MISSED" }'

# Peak memory: the scene up, every picture and sound decoded, the opening sound over.
line=$(probe lumorra --settle-ms 6000 -- "$LUMORRA") || fail "lumorra: no picture"
hwm=$(kv vmhwm_kb "$line")
rss=$(kv vmrss_kb "$line")
parts="anonymous $(kv rss_anon_kb "$line") kB, file-backed $(kv rss_file_kb "$line") kB"
parts="$parts, shared memory $(kv rss_shmem_kb "$line") kB"
line=$(probe feh --settle-ms 2000 -- "${FEH[@]}") || fail "feh: no picture"
fhwm=$(kv vmhwm_kb "$line")
awk -v h="$hwm" -v r="$rss" -v f="$fhwm" 'BEGIN {
  printf "peak RSS (VmHWM) of lumorra 6 s after the scene appeared: %.1f MiB = %.1f MB", h / 1024,
    h * 1.024 / 1000
  printf " (now %.1f MiB); feh: %.1f MiB\n", r / 1024, f / 1024
  printf "goal: peak RSS <= 90 MB -> %s\n", h * 1.024 / 1000 <= 90 ? "met" : "MISSED" }'
echo "resident now: $parts"
