#!/usr/bin/env bash
# Usage: bench/startup.sh path/to/build. Spawn to dark scene on openbox + PulseAudio against feh,
# RUNS (7) alternating runs; RUNS starts without a sound card; peak RSS. Goals: ratio <= 1.0;
# no card: worst <= 1.5 x median; peak RSS <= 90 MB.
source "$(dirname "$0")/lib.sh"
RUNS=${RUNS:-7}
PICTURE=$BUILD/media/lowlight1.jpg
for p in feh openbox pulseaudio; do
  command -v $p >/dev/null || fail "$p is not installed (apt-get install $p)"
done
start_xvfb 1920x1080
start_wm openbox
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --load=module-null-sink \
  --load=module-native-protocol-unix >"$WORK/pulse.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break || sleep 0.05; done
pactl info >/dev/null 2>&1 || fail "pulseaudio did not start"
machine_busy_start
unset SDL_AUDIODRIVER # the sound server, as on a desktop

# The program shows the picture at 0,0; feh 1:1 (zoom 100) centred, 100 rows up on 1080.
FEH=(feh --fullscreen --zoom 100 --image-bg black --hide-pointer "$PICTURE")
declare -A AT=([lumorra]=0,0 [feh]=0,-100)
probe() { # probe lumorra|feh [SETTLE_MS]: one start, timed; prints the probe's line
  local cmd=("$LUMORRA")
  [ "$1" = feh ] && cmd=("${FEH[@]}")
  "$BENCH_BIN/lumorra_screen_probe" "$PICTURE" "${AT[$1]}" "${2:-0}" "${cmd[@]}" ||
    fail "$1: the picture never appeared"
}

# One unmeasured run of each fills the page and font caches and finds where feh puts the picture.
probe lumorra >/dev/null
(probe feh >/dev/null 2>&1) || AT[feh]=0,0
probe feh >/dev/null
for i in $(seq "$RUNS"); do
  for p in lumorra feh; do line=$(probe $p); kv match_ms "$line" >>"$WORK/$p.ms"; done
done
read -r _ L _ lmin lmax <<<"$(stats "$WORK/lumorra.ms")"
read -r _ F _ fmin fmax <<<"$(stats "$WORK/feh.ms")"
echo "first picture on the screen, Xvfb 1920x1080 with openbox and PulseAudio (null sink)," \
  "$RUNS alternating runs"
echo "lumorra runs (ms): $(tr '\n' ' ' <"$WORK/lumorra.ms")"
echo "feh runs (ms):     $(tr '\n' ' ' <"$WORK/feh.ms")"
echo "| program | median ms | min ms | max ms |"$'\n'"|---|---|---|---|"
printf '| %s | %s | %s | %s |\n' lumorra "$L" "$lmin" "$lmax" feh "$F" "$fmin" "$fmax"
awk -v l="$L" -v f="$F" 'BEGIN { r = l / f; printf "ratio lumorra/feh: %.2f (goal <= 1.0: %s)\n",
  r, r <= 1.0 ? "met" : "MISSED" }'

# No sound card: opening the device must not hold up any start.
for i in $(seq "$RUNS"); do
  line=$(SDL_AUDIODRIVER=alsa probe lumorra); kv match_ms "$line" >>"$WORK/nocard.ms"
done
read -r _ N _ _ W <<<"$(stats "$WORK/nocard.ms")"
echo "no sound card (ALSA), $RUNS runs (ms): $(tr '\n' ' ' <"$WORK/nocard.ms")"
awk -v n="$N" -v w="$W" 'BEGIN { r = w / n
  printf "median %s ms, worst %s ms, worst/median %.2f (goal <= 1.5: %s)\n", n, w, r,
    r <= 1.5 ? "met" : "MISSED" }'

# Peak memory: the scene up, every picture and sound decoded, the opening sound over.
line=$(probe lumorra 6000)
fline=$(probe feh 2000)
awk -v h="$(kv vmhwm_kb "$line")" -v r="$(kv vmrss_kb "$line")" -v f="$(kv vmhwm_kb "$fline")" \
  'BEGIN { m = h * 1.024 / 1000
  printf "peak RSS (VmHWM) of lumorra 6 s after the scene appeared: %.1f MiB = %.1f MB", h / 1024, m
  printf " (now %.1f MiB); feh: %.1f MiB\ngoal: peak RSS <= 90 MB -> %s\n", r / 1024, f / 1024,
    m <= 90 ? "met" : "MISSED" }'
echo "resident now: anonymous $(kv rss_anon_kb "$line") kB," \
  "file-backed $(kv rss_file_kb "$line") kB, shared memory $(kv rss_shmem_kb "$line") kB"
