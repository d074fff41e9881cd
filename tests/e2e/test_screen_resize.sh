#!/usr/bin/env bash
# When the screen's size changes while the program runs, the scene keeps covering it: with no
# window manager and under one that leaves full-screen windows as they are (icewm). The
# picture chosen at the start stays, with black beyond it.
source "$(dirname "$0")/lib.sh"

# Xvfb can grow the screen only up to the size it started with.
start_xvfb 1600x900
xrandr --newmode 1024x768 60 1024 1100 1200 1300 768 800 820 840 >/dev/null 2>&1
xrandr --addmode screen 1024x768
# The scene picks its reduced pictures for a screen this small and shows their top-left part.
convert "$MEDIA_DIR/lowlight1.jpg" -resize 1152x768 "$WORK/reduced.png"

# resize_and_check: from 1024x768 to 1600x900 under the running program.
resize_and_check() {
  local what=$1 win geometry error level
  win=$(xdotool search --onlyvisible --pid "$APP_PID" | head -n1)
  xrandr --fb 1600x900 --output screen --mode 1600x900
  for _ in $(seq 60); do
    geometry=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p')
    [ "$geometry" = 1600x900 ] && break
    sleep 0.05
  done
  [ "$geometry" = 1600x900 ] || fail "$what: the window is $geometry on a 1600x900 screen"
  sleep 0.3
  shot "$WORK/grown.png"
  level=$(mean_level "$WORK/grown.png" 500x100+1100+800)
  error=$(crop_error "$WORK/grown.png" "$WORK/reduced.png" 1024x768+0+0)
  echo "$what: black beyond the picture $level, picture error $error"
  below "$level" 0.02 || fail "$what: the new part of the screen is not black ($level)"
  below "$error" 0.03 || fail "$what: the picture is gone after the screen grew (error $error)"
  xdotool key ctrl+q
  wait_exit "$APP_PID" 3
  [ "$STATUS" = 0 ] || fail "$what: status $STATUS"
  xrandr --output screen --mode 1024x768 --fb 1024x768
}

xrandr --output screen --mode 1024x768 --fb 1024x768
start_lumorra
resize_and_check "no window manager"

start_icewm_taskbar_top
start_lumorra
resize_and_check icewm
echo ok
