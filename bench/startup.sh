#!/usr/bin/env bash
# Start-up time: from spawning the program to the dark scene being on the screen, against an
# image viewer showing the same photograph 1:1 on the same server, timed by the same probe.
# Then the program's peak resident size once the scene is up and it has gone idle.
#
# Usage: bench/startup.sh path/to/build        (RUNS=7 by default, alternating)
# Goals: median(lumorra) / median(feh) <= 1.25; peak RSS <= 90 MB.
source "$(dirname "$0")/lib.sh"

RUNS=${RUNS:-7}
PROBE=$BENCH_BIN/lumorra_screen_probe
PICTURE=$MEDIA_DIR/lowlight1.jpg
[ -x "$PROBE" ] || fail "no probe at $PROBE (build the bench targets)"
command -v feh >/dev/null || fail "feh is not installed (apt-get install feh)"

wait_for_quiet_machine
start_xvfb 1920x1080
machine_busy_start
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-disk}
export SDL_DISKAUDIOFILE=$WORK/audio.raw

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
echo "first picture on the screen, Xvfb 1920x1080, $RUNS alternating runs, audio $SDL_AUDIODRIVER"
echo "lumorra runs (ms): $(tr '\n' ' ' <"$WORK/lumorra.ms")"
echo "feh runs (ms):     $(tr '\n' ' ' <"$WORK/feh.ms")"
echo "| program | median ms | min ms | max ms |"
echo "|---|---|---|---|"
for p in lumorra feh; do
  sort -g "$WORK/$p.ms" | awk -v p="$p" -v m="$( [ $p = lumorra ] && echo "$L" || echo "$F")" \
    '{ v[NR] = $1 } END { printf "| %s | %s | %s | %s |\n", p, m, v[1], v[NR] }'
done
awk -v l="$L" -v f="$F" 'BEGIN { r = l / f; printf "ratio lumorra/feh: %.2f (goal <= 1.25: %s)\n",
  r, r <= 1.25 ? "met" : "MISSED" }'

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
