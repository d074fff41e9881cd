#!/usr/bin/env bash
# The dark photograph is on screen at the top-left at the size the screen calls for.
source "$(dirname "$0")/lib.sh"

check_screen() {
  local size=$1 reference=$2 width=${1%x*} height=${1#*x}
  start_xvfb "$size"
  start_lumorra
  local error
  error=$(await_picture "$reference" "${width}x${height}+0+0" 10)
  echo "$size: mean error against the dark picture $error"
  below "$error" 0.03 || fail "$size does not show the dark picture (error $error)"
  xdotool key ctrl+q
  wait_exit "$APP_PID" 2
  [ "$STATUS" = 0 ] || fail "status $STATUS"
  kill "${PIDS[0]}"; wait "${PIDS[0]}" 2>/dev/null || true
  PIDS=()
}

check_screen 1920x1080 "$MEDIA_DIR/lowlight1.jpg"
convert "$MEDIA_DIR/lowlight1.jpg" -resize 1152x768 "$WORK/reduced.png"
check_screen 1152x768 "$WORK/reduced.png"
echo ok
