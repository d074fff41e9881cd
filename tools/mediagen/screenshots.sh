#!/usr/bin/env bash
# The README's screenshots: the real program on a private Xvfb with a window manager, dark and
# then lit (the chain pulled with the pointer), at 1920x1080 and at 1152x768.
#   tools/mediagen/screenshots.sh [BUILD_DIR]     (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
LUMORRA=$(readlink -f "${1:-$root/build}/lumorra")
WORK=$(mktemp -d /tmp/lumorra-shots.XXXXXX)
XVFB_DISPLAYS=$(seq 141 149)
source "$root/tests/xserver.sh"

for size in 1920x1080 1152x768; do
  start_xvfb "$size"
  openbox >/dev/null 2>&1 &
  PIDS+=($!)
  sleep 0.5
  env SDL_AUDIODRIVER=dummy "$LUMORRA" >/dev/null 2>&1 &
  app=$!
  PIDS+=("$app")
  sleep 4
  suffix=$([ "$size" = 1920x1080 ] && echo "" || echo "-$size")
  width=$([ "$size" = 1920x1080 ] && echo 960 || echo 576)
  import -window root -depth 8 "$WORK/dark.png"
  # Smaller screens show the whole picture scaled down, the chain with it.
  w=${size%x*}
  xdotool mousemove $((118 * w / 1920)) $((270 * w / 1920)) sleep 0.3 click 1
  sleep 1
  import -window root -depth 8 "$WORK/lit.png"
  for shot in dark lit; do
    convert "$WORK/$shot.png" -resize "${width}x" -quality 85 "$root/docs/$shot$suffix.jpg"
  done
  xdotool key ctrl+q
  wait "$app" || true
  kill "$XVFB_PID" "${PIDS[@]}" 2>/dev/null || true
  PIDS=()
  sleep 0.5
done
echo "screenshots written to $root/docs"
