#!/usr/bin/env bash
# Usage: [SCREEN=WxH] [BEFORE=path/to/other/build] bench/startup.sh path/to/build. Spawn to dark
# scene against feh, no sound card, peak RSS. SCREEN is 1920x1080 unless given. BEFORE times that
# build's program too, in the same alternating rounds, for a change judged in one session.
source "$(dirname "$0")/lib.sh"
RUNS=${RUNS:-7}
SCREEN=${SCREEN:-1920x1080}
PICTURE=$BUILD/media/lowlight1.jpg
for p in feh openbox pulseaudio; do command -v $p >/dev/null || fail "$p is not installed"; done
start_xvfb "$SCREEN"
start_wm openbox
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --load=module-null-sink \
  --load=module-native-protocol-unix >"$WORK/pulse.log" 2>&1 &
PIDS+=($!)
wait_for 100 pactl info >/dev/null 2>&1 || fail "pulseaudio did not start"
machine_busy_start
unset SDL_AUDIODRIVER # the sound server, as on a desktop

# feh gets exactly what the screen shows, so that neither program scales and both show it 1:1
# at 0,0: the dark photograph's visible rows and columns (reduced to 1152x768 on a screen up to
# that size, scaled to cover one larger than 1920x1280), as a JPEG of the screen's size, q90.
RSS_GOAL=90
W=${SCREEN%x*} H=${SCREEN#*x}
if [ "$W" -gt 1920 ] || [ "$H" -gt 1280 ]; then
  # A larger screen shows the master scaled to cover it, as the program scales it (in linear
  # light, Mitchell down, Catmull-Rom up): the master's fine noise, filtered otherwise, would
  # differ by more than the probe allows.
  # The size it is scaled to is the program's: the photographs' 1920x1280 times the larger of
  # the screen's two ratios to it, rounded up (ImageMagick's own rounding differs by a row at
  # some sizes, 3440x1440 for one, and the noise then no longer lines up).
  if [ $((W * 1280)) -ge $((H * 1920)) ]; then
    SW=$W SH=$(((1280 * W + 1919) / 1920))
  else
    SW=$(((1920 * H + 1279) / 1280)) SH=$H
  fi
  filter=Mitchell && [ "$SW" -le 3840 ] && [ "$SH" -le 2560 ] || filter=Catrom
  PICTURE=$BUILD/media/lowlight1_2x.jpg
  FIT=(-colorspace RGB -filter $filter -resize "${SW}x${SH}!" -colorspace sRGB) RSS_GOAL=300
elif [ "$W" -le 1152 ] && [ "$H" -le 768 ]; then
  FIT=(-resize '1152x768!')
else
  FIT=()
fi
convert "$PICTURE" "${FIT[@]}" -crop "$SCREEN+0+0" +repage -quality 90 "$WORK/screen.jpg"
PICTURE=$WORK/screen.jpg
FEH=(feh --fullscreen --zoom 100 --image-bg black --hide-pointer "$PICTURE")
BEFORE_LUMORRA=${BEFORE:+$(readlink -f "$BEFORE")/lumorra}
[ -z "${BEFORE:-}" ] || [ -x "$BEFORE_LUMORRA" ] || fail "no program at $BEFORE_LUMORRA"
probe() { # probe lumorra|before|feh [SETTLE_MS]: one start; prints its ms (and peak RSS in kB)
  local cmd=("$LUMORRA")
  [ "$1" = feh ] && cmd=("${FEH[@]}")
  [ "$1" = before ] && cmd=("$BEFORE_LUMORRA")
  "$BENCH_BIN/lumorra_screen_probe" "$PICTURE" 0,0 "${2:-0}" "${cmd[@]}" ||
    fail "$1: the picture never appeared"
}

# One unmeasured run of each fills the page and font caches.
PROGRAMS=(lumorra ${BEFORE:+before} feh)
for p in "${PROGRAMS[@]}"; do probe $p >/dev/null; done
for i in $(seq "$RUNS"); do
  for p in "${PROGRAMS[@]}"; do probe $p >>"$WORK/$p.ms"; done
done
# No sound card: opening the device must not hold up any start.
for i in $(seq "$RUNS"); do SDL_AUDIODRIVER=alsa probe lumorra >>"$WORK/nocard.ms"; done
read -r _ L _ _ <<<"$(stats "$WORK/lumorra.ms")"
read -r _ F _ _ <<<"$(stats "$WORK/feh.ms")"
read -r _ N _ W <<<"$(stats "$WORK/nocard.ms")"
H=$(probe lumorra 6000) # peak memory: every picture and sound decoded, the opening sound over
echo "screen $SCREEN"
machine_busy_report
if [ -n "${BEFORE:-}" ]; then
  read -r _ B _ _ <<<"$(stats "$WORK/before.ms")"
  HB=$(probe before 6000)
  awk -v b="$B" -v l="$L" -v f="$F" -v h="${HB#* }" 'BEGIN {
    printf "before (%s), same rounds: %s ms, ratio to feh %.2f; lumorra/before %.2f\n", ENVIRON["BEFORE"], b, b / f, l / b
    printf "before: peak RSS (VmHWM) 6 s after the scene: %.1f MB\n", h * 1.024 / 1000 }'
fi
awk -v g="$RSS_GOAL" -v l="$L" -v f="$F" -v n="$N" -v w="$W" -v r="$RUNS" -v h="${H#* }" 'BEGIN {
  printf "first picture, openbox + PulseAudio, median of %d alternating: lumorra %s ms, feh %s ms\n", r, l, f
  printf "ratio lumorra/feh: %.2f (goal <= 1.0: %s)\n", l / f, l / f <= 1.0 ? "met" : "MISSED"
  printf "no sound card (ALSA): median %s ms, worst %s ms, worst/median %.2f (goal <= 1.5: %s)\n",
    n, w, w / n, w / n <= 1.5 ? "met" : "MISSED"
  printf "peak RSS (VmHWM) 6 s after the scene: %.1f MB (goal <= %d MB: %s)\n", h * 1.024 / 1000,
    g, h * 1.024 / 1000 <= g ? "met" : "MISSED" }'
